#pragma once

#include "platform/Document.h"

// The document of every record window: it holds the record-state flags that the form
// sets, broadcasts record commands to its views and decides which of them are enabled.
class CDBDoc : public CDocument {
    Q_OBJECT
public:
    enum Flag {
        Editing,
        FirstEnabled,
        LastEnabled,
        NextEnabled,
        PreviousEnabled,
        HasRecords,
        HasRecords2,
        FlagCount
    };

    explicit CDBDoc(QObject* parent = nullptr);

    int flag(Flag which) const { return m_flags[which]; }
    void setFlag(Flag which, int value);
    // has-records and its twin are always written together.
    void setHasRecords(int value);
    // The flags a move sets: whether records follow and precede the current one, and whether
    // there are any; the command states are updated once for them all.
    void setPositionFlags(int follows, int precedes, int hasRecords);

    // Broadcasts 32794 with a locator that carries only the id.
    void ShowRecordById(qint32 id);
    // Broadcasts 32794 with a locator that carries the three texts and the id -1.
    void ShowRecordByTexts(const QString& text1, const QString& text2, const QString& text3);

    bool OnCommand(int id) override;
    bool IsCommandEnabled(int id, bool& enabled) const override;

    // True for the commands that this document broadcasts to its views.
    static bool isRecordCommand(int id);

private:
    int m_flags[FlagCount] = {};
};
