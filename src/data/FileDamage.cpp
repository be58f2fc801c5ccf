#include "data/FileDamage.h"

#include <sqlite3.h>

#include <QDir>
#include <atomic>
#include <mutex>

#include "data/DbException.h"
#include "data/EngineError.h"

namespace filedamage {
namespace {

std::atomic<bool> damaged{false};
thread_local int otherFileScopes = 0;

struct Listener {
    std::mutex mutex;
    std::function<void()> listener;
};

Listener& listenerSlot() {
    static Listener slot;
    return slot;
}

}  // namespace

bool isDamaged() {
    return damaged.load();
}

OtherFileScope::OtherFileScope() {
    ++otherFileScopes;
}

OtherFileScope::~OtherFileScope() {
    --otherFileScopes;
}

void noteDamage() {
    if (otherFileScopes > 0)
        return;
    if (damaged.exchange(true))
        return;
    std::function<void()> listener;
    {
        std::lock_guard lock(listenerSlot().mutex);
        listener = listenerSlot().listener;
    }
    if (listener)
        listener();
}

void setListener(std::function<void()> listener) {
    std::lock_guard lock(listenerSlot().mutex);
    listenerSlot().listener = std::move(listener);
}

void noteFileReplaced() {
    damaged = false;
}

void resetForTesting() {
    damaged = false;
    setListener({});
}

QString damageMessage(const QString& path) {
    return QStringLiteral(
               "The contacts file '%1' is damaged: part of it cannot be read.\n\n"
               "Tarvex writes nothing more to it until you close the program, so that no "
               "more is lost. Close Tarvex and put your latest copy of the file in its place, "
               "or try the SQLite tools' recovery on a copy of it (sqlite3 Tarvex.mdb "
               "\".recover\").")
        .arg(QDir::toNativeSeparators(path));
}

CDbException refusedWrite() {
    return dbError(SQLITE_CORRUPT,
                   QStringLiteral("The contacts file is damaged, so Tarvex does not write to it. "
                                  "Recover it from a copy and start Tarvex again."));
}

}  // namespace filedamage
