#pragma once

#include <QString>
#include <vector>

#include "platform/TextPrinter.h"

// A record list as the list printout reads it: its header items (list columns) with their
// widths in pixels and display positions, and the shown text of each cell.
class CListPrintSource {
public:
    virtual ~CListPrintSource() = default;
    virtual int headerCount() const = 0;
    virtual int headerWidth(int item) const = 0;
    virtual QString headerText(int item) const = 0;
    virtual int headerPosition(int item) const = 0;
    virtual int listRowCount() const = 0;
    virtual QString itemText(int row, int subItem) = 0;
};

// Prints a record list as a table of fixed-width columns in the order the user arranged them
// on the screen, each column as wide as its share of the screen width; columns dragged to
// width 0 are left out. Every line starts with the row number.
class CListPrinter : public CTextPrinter {
public:
    struct Column {
        int width = 0;
        QString title;
        int subItem = 0;
        int position = 0;
    };

    void setSourceList(CListPrintSource* list) { m_sourceList = list; }
    bool PrepareText() override;

    // The printed columns of the last PrepareText, widths in characters.
    const std::vector<Column>& columns() const { return m_columns; }

private:
    CListPrintSource* m_sourceList = nullptr;
    std::vector<Column> m_columns;
    int m_totalWidth = 0;
};
