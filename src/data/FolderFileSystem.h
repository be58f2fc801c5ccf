#pragma once

#include <QString>
#include <functional>
#include <optional>

// Where a contacts file may use the engine's write-ahead log. The log's index lives in
// memory shared by every program that has the file open, which works only when all of them
// run on one machine: on a network or user-space file system, where programs on other
// machines may open the same file, the file keeps the rollback journal instead.
namespace folderfs {

// The file system type (statfs's f_type) of the folder; empty when it cannot be asked.
std::optional<quint64> typeOf(const QString& folder);

// The name of a network or user-space file system type ("nfs", "cifs", "fuse", ...), or an
// empty text for a local one.
QString networkName(quint64 type);

// The name of the network file system that holds the folder, or an empty text when the
// folder is on a local disk (or its type cannot be told).
QString networkFileSystemOf(const QString& folder);

// For tests: answers typeOf() instead of statfs while set; nullptr restores statfs.
void setTypeProbeForTesting(std::function<std::optional<quint64>(const QString&)> probe);

}  // namespace folderfs
