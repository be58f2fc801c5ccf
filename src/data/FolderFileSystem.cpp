#include "data/FolderFileSystem.h"

#include <sys/vfs.h>

#include <QFile>
#include <array>
#include <mutex>
#include <utility>

namespace folderfs {
namespace {

struct NetworkType {
    quint64 magic;
    const char* name;
};

// The values of statfs's f_type (linux/magic.h and the file systems' own headers) for the
// file systems that can be reached from more than one machine.
constexpr std::array<NetworkType, 13> networkTypes{{
    {0x6969, "nfs"},
    {0x517B, "smb"},
    {0xFF534D42, "cifs"},
    {0xFE534D42, "smb2"},
    {0x65735546, "fuse"},
    {0x65735543, "fusectl"},
    {0x73757245, "coda"},
    {0x5346414F, "afs"},
    {0x6B414653, "kafs"},
    {0x00C36400, "ceph"},
    {0x01021997, "9p"},
    {0x47504653, "gpfs"},
    {0x0BD00BD0, "lustre"},
}};

std::mutex probeLock;
std::function<std::optional<quint64>(const QString&)>& probeOverride() {
    static std::function<std::optional<quint64>(const QString&)> probe;
    return probe;
}

}  // namespace

std::optional<quint64> typeOf(const QString& folder) {
    {
        const std::lock_guard lock(probeLock);
        if (probeOverride())
            return probeOverride()(folder);
    }
    struct statfs info {};
    if (statfs(QFile::encodeName(folder).constData(), &info) != 0)
        return std::nullopt;
    return static_cast<quint64>(static_cast<unsigned long>(info.f_type) & 0xFFFFFFFFu);
}

QString networkName(quint64 type) {
    for (const NetworkType& network : networkTypes)
        if (network.magic == type)
            return QString::fromLatin1(network.name);
    return {};
}

QString networkFileSystemOf(const QString& folder) {
    const std::optional<quint64> type = typeOf(folder);
    return type ? networkName(*type) : QString();
}

void setTypeProbeForTesting(std::function<std::optional<quint64>(const QString&)> probe) {
    const std::lock_guard lock(probeLock);
    probeOverride() = std::move(probe);
}

}  // namespace folderfs
