#pragma once

#include <QString>
#include <functional>

class CDbException;

// Whether the contacts file has been found damaged in this run. Once the engine reports a
// damaged file (at start-up's integrity check or on any later read), the program writes
// nothing more to it until it ends, so that a damaged page is never built upon.
namespace filedamage {

// True once damage has been noticed. Safe to call from any thread.
bool isDamaged();
// Records that the file is damaged; the first time, the listener is told (on the thread
// that noticed it). Safe to call from any thread.
void noteDamage();
// What runs the first time damage is noticed (the application shows its message).
void setListener(std::function<void()> listener);
// While one lives, damage that this thread meets is another file's (a backup being checked),
// not the contacts file's: it is reported as an error but does not stop the writes.
class OtherFileScope {
public:
    OtherFileScope();
    ~OtherFileScope();
    OtherFileScope(const OtherFileScope&) = delete;
    OtherFileScope& operator=(const OtherFileScope&) = delete;
};

// The damaged file was replaced by a sound one (a restored backup): writes are allowed again.
void noteFileReplaced();
// For tests: forgets the damage and the listener.
void resetForTesting();

// The words that explain the damage to the user, naming the file.
QString damageMessage(const QString& path);
// The error raised by a write that is refused because the file is damaged.
CDbException refusedWrite();

}  // namespace filedamage
