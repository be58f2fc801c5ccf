#pragma once

#include <QObject>

class CKnownValueLoader;
struct DataChange;

// Keeps the known-value lists current as the change notifier announces writes: the changed
// rows of a save are applied in place; a change nobody can name (another program, a restored
// backup, free SQL) or one too large to apply row by row starts a background load.
class CKnownValueUpdater : public QObject {
    Q_OBJECT
public:
    explicit CKnownValueUpdater(CKnownValueLoader& loader, QObject* parent = nullptr);

private:
    void onChanged(const DataChange& change);

    CKnownValueLoader& m_loader;
};
