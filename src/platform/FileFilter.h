#pragma once

#include <QString>

// Turns a file filter written as "Description|patterns|Description|patterns||" (patterns
// separated by ';') into Qt's "Description (patterns);;..." form.
QString qtFileFilter(const QString& pipeFilter);
