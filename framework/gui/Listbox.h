#pragma once

#include "framework/gui/RectControl.h"

#include <string>
#include <vector>

namespace fw {

struct ListboxPrivate;

// A list of rows, each with its cells and a tag. Rows live here; the view
// shows them in index order and never sorts or moves them. Adding and
// changing rows costs no per-row widget and no immediate redraw.
class Listbox : public RectControl {
public:
    Listbox();
    ~Listbox() override;
    static const ClassInfo& ClassDescription();
    const ClassInfo& classInfo() const override { return ClassDescription(); }

    // Appends a row; the cells given fill its first columns.
    void AddRow(const std::vector<std::string>& cells);
    // The index of the row added last, or -1.
    std::int32_t LastIndex() const;
    std::int32_t ListCount() const;

    // Out-of-range rows and columns raise OutOfBoundsException.
    const std::string& Cell(std::int32_t row, std::int32_t column) const;
    void SetCell(std::int32_t row, std::int32_t column, std::string text);
    Ref<Object> RowTag(std::int32_t row) const;
    void SetRowTag(std::int32_t row, Ref<Object> tag);

    std::int32_t ColumnCount() const;
    void SetColumnCount(std::int32_t);
    void SetColumnWidths(const std::string& widths);
    std::int32_t ColumnWidth(std::int32_t column) const;
    bool HasHeading() const;
    void SetHasHeading(bool);
    // With HasHeading, InitialValue is the tab-separated headings.
    void SetInitialValue(const std::string& value);
    std::string Heading(std::int32_t column) const;
    std::int32_t SelectionType() const;
    void SetSelectionType(std::int32_t);

    // The selected rows' cells as tab-separated lines, for the clipboard.
    std::string SelectedRowsText() const;
    void SelectAll();

    // Makes the view show what changed now instead of at its next refresh.
    void FlushView();

protected:
    void* createWidget(void* parent) override;

private:
    std::unique_ptr<ListboxPrivate> ld;
};

}
