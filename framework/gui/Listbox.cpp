#include "framework/gui/Listbox.h"

#include "framework/core/RuntimeException.h"
#include "framework/gui/Controls_p.h"
#include "framework/gui/Window_p.h"
#include "framework/gui/QtText_p.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <QEvent>
#include <QFontMetrics>
#include <QTableView>
#include <algorithm>
#include <climits>
#include <set>

namespace fw {

// Rows are kept flat (cells row by row, tags beside them) so a long list
// costs no per-row allocation beyond its texts.
struct ListboxPrivate {
    std::int32_t columns = 1;
    std::vector<std::string> cells;
    std::vector<Ref<Object>> tags;
    std::vector<std::string> headings;
    std::vector<int> widths;
    bool hasHeading = false;
    std::int32_t selectionType = 0;
    class Model* model = nullptr;
    QPointer<class RowView> view; // the widget, gone with it
    QTimer* refresh = nullptr;

    std::int32_t rowCount() const { return static_cast<std::int32_t>(tags.size()); }
    void changed();
    void setColumns(std::int32_t n);
};

// A flat list of uniform rows. A table view lays rows out by a fixed row
// height, so a list of 100,000 rows costs no per-row layout when it grows.
class RowView : public QTableView {
public:
    using QTableView::QTableView;
    // The list object may outlive its view (whoever holds the list keeps it
    // past its window's widgets): the Edit handler goes with the view, or a
    // widget made later at the same address would find it.
    ~RowView() override { UnregisterEditHandler(this); }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        // Copying is the Edit menu's, which copies whole selected rows; the
        // view's own copy of its current cell, even with nothing selected,
        // is not what the user asked for.
        if (e->matches(QKeySequence::Copy)) {
            e->ignore();
            return;
        }
        QTableView::keyPressEvent(e);
    }
    void changeEvent(QEvent* e) override
    {
        QTableView::changeEvent(e);
        if (e->type() == QEvent::FontChange)
            fitRowHeight();
    }

public:
    void fitRowHeight()
    {
        verticalHeader()->setMinimumSectionSize(1);
        verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    }
};

// Views learn of new rows and changed cells in batches, at most every
// RefreshMs, so adding or updating a row costs no immediate layout or paint.
constexpr int RefreshMs = 30;

class Model : public QAbstractItemModel {
public:
    explicit Model(ListboxPrivate* d)
        : d(d)
    {
    }

    QModelIndex index(int row, int column, const QModelIndex& parent) const override
    {
        if (parent.isValid() || row < 0 || row >= mAnnounced || column < 0 || column >= d->columns)
            return {};
        return createIndex(row, column);
    }
    QModelIndex parent(const QModelIndex&) const override { return {}; }
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : mAnnounced; }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : d->columns; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= d->rowCount())
            return {};
        // Texts that are not UTF-8 (file names) show replacement characters;
        // the stored bytes stay exact.
        const std::string& s = d->cells[static_cast<std::size_t>(index.row()) * static_cast<std::size_t>(d->columns) + static_cast<std::size_t>(index.column())];
        return toQString(s);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
            || section >= static_cast<int>(d->headings.size()))
            return {};
        return toQString(d->headings[static_cast<std::size_t>(section)]);
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    void sync()
    {
        int rows = d->rowCount();
        if (rows > mAnnounced) {
            beginInsertRows({}, mAnnounced, rows - 1);
            mAnnounced = rows;
            endInsertRows();
        }
        // Only the rows changed since the last sync: a view walks the range
        // it is told about, so telling it about every row would make each
        // refresh cost as much as the whole list.
        if (mDirtyFirst <= mDirtyLast && mAnnounced > 0) {
            int last = std::min(mDirtyLast, mAnnounced - 1);
            if (mDirtyFirst <= last)
                emit dataChanged(createIndex(mDirtyFirst, 0), createIndex(last, d->columns - 1), { Qt::DisplayRole });
        }
        clearDirty();
    }
    void markDirty(int row)
    {
        mDirtyFirst = std::min(mDirtyFirst, row);
        mDirtyLast = std::max(mDirtyLast, row);
    }
    void resetAll()
    {
        beginResetModel();
        mAnnounced = d->rowCount();
        clearDirty();
        endResetModel();
    }

private:
    ListboxPrivate* d;
    void clearDirty()
    {
        mDirtyFirst = INT_MAX;
        mDirtyLast = -1;
    }

    int mAnnounced = 0;
    int mDirtyFirst = INT_MAX; // the changed rows, first to last
    int mDirtyLast = -1;
};

void ListboxPrivate::changed()
{
    if (refresh && !refresh->isActive())
        refresh->start();
}

void ListboxPrivate::setColumns(std::int32_t n)
{
    n = std::max(1, n);
    if (n == columns)
        return;
    std::vector<std::string> re(static_cast<std::size_t>(rowCount()) * static_cast<std::size_t>(n));
    for (std::int32_t r = 0; r < rowCount(); ++r)
        for (std::int32_t c = 0; c < std::min(n, columns); ++c)
            re[static_cast<std::size_t>(r * n + c)] = std::move(cells[static_cast<std::size_t>(r * columns + c)]);
    cells = std::move(re);
    columns = n;
    if (model)
        model->resetAll();
}

Listbox::Listbox()
    : ld(std::make_unique<ListboxPrivate>())
{
}

Listbox::~Listbox()
{
    delete ld->refresh;
    // The view, and with it its Edit handler, goes with the widget; the
    // model after it.
    delete rd->widget.data();
    delete ld->model;
}

const ClassInfo& Listbox::ClassDescription()
{
    return ClassRegistry::Register("Listbox", [](ClassInfo& c) {
        c.parent = &RectControl::ClassDescription();
        c.declaredEvents = { "Change", "CellClick", "DoubleClick", "HeaderPressed", "SortColumn" };
        auto b = [](const char* n, auto f) { return DeclareProperty<Listbox, bool>(n, "b", f); };
        auto i4 = [](const char* n, auto f) { return DeclareProperty<Listbox, std::int32_t>(n, "i4", f); };
        // A view setting: applied to the list's view, when it has one.
        auto onView = [b](const char* n, auto f) {
            return b(n, [f](Listbox& l, bool v) {
                if (l.ld->view)
                    f(*l.ld->view, v);
            });
        };
        c.properties = {
            onView("Border", [](RowView& view, bool v) { view.setFrameShape(v ? QFrame::StyledPanel : QFrame::NoFrame); }),
            i4("ColumnCount", [](Listbox& l, std::int32_t v) { l.SetColumnCount(v); }),
            DeclareProperty<Listbox, std::string>("ColumnWidths", "s", [](Listbox& l, const std::string& v) { l.SetColumnWidths(v); }),
            b("HasHeading", [](Listbox& l, bool v) { l.SetHasHeading(v); }),
            onView("UseFocusRing", [](RowView& view, bool v) { view.setAttribute(Qt::WA_MacShowFocusRect, v); }),
            DeclareProperty<Listbox, std::string>("InitialValue", "s", [](Listbox& l, const std::string& v) { l.SetInitialValue(v); }),
            // -1: no column is the sort column, and a heading click sorts nothing.
            i4("HeadingIndex", [](Listbox&, std::int32_t) { }),
            onView("ScrollBarHorizontal", [](RowView& view, bool v) { view.setHorizontalScrollBarPolicy(v ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff); }),
            onView("ScrollBarVertical", [](RowView& view, bool v) { view.setVerticalScrollBarPolicy(v ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff); }),
            i4("GridLinesHorizontal", [](Listbox&, std::int32_t) { }),
            i4("GridLinesVertical", [](Listbox&, std::int32_t) { }),
            i4("DefaultRowHeight", [](Listbox&, std::int32_t) { }),
            i4("_ScrollWidth", [](Listbox&, std::int32_t) { }),
            b("Hierarchical", [](Listbox&, bool) { }),
            onView("EnableDrag", [](RowView& view, bool v) { view.setDragEnabled(v); }),
            b("EnableDragReorder", [](Listbox&, bool) { }),
            b("RequiresSelection", [](Listbox&, bool) { }),
            i4("SelectionType", [](Listbox& l, std::int32_t v) { l.SetSelectionType(v); }),
            onView("ColumnsResizable", [](RowView& view, bool v) {
                view.horizontalHeader()->setSectionResizeMode(v ? QHeaderView::Interactive : QHeaderView::Fixed);
                view.horizontalHeader()->setStretchLastSection(true);
            }),
            b("AutoHideScrollbars", [](Listbox&, bool) { }),
        };
        c.factory = [] { return make<Listbox>(); };
    });
}

void* Listbox::createWidget(void* parent)
{
    ld->model = new Model(ld.get());
    auto* v = new RowView(static_cast<QWidget*>(parent));
    ld->view = v;
    v->setShowGrid(false);
    v->setWordWrap(false);
    v->setCornerButtonEnabled(false);
    // Tab moves on to the next control, not to the next cell.
    v->setTabKeyNavigation(false);
    v->setSortingEnabled(false);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setDragDropMode(QAbstractItemView::NoDragDrop);
    v->verticalHeader()->hide();
    v->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    v->fitRowHeight();
    v->horizontalHeader()->setSectionsMovable(false);
    v->horizontalHeader()->setSectionsClickable(false);
    v->horizontalHeader()->setHighlightSections(false);
    v->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    v->horizontalHeader()->setStretchLastSection(true);
    v->setModel(ld->model);
    v->horizontalHeader()->setVisible(ld->hasHeading);
    SetSelectionType(ld->selectionType);
    ld->refresh = new QTimer;
    ld->refresh->setSingleShot(true);
    ld->refresh->setInterval(RefreshMs);
    QObject::connect(ld->refresh, &QTimer::timeout, [d = ld.get()] { d->model->sync(); });
    // The handler reaches the list only while it lives and has its view.
    WeakRef<Listbox> weak = std::static_pointer_cast<Listbox>(self());
    RegisterEditHandler(v, {
        [weak](const std::string& item) {
            auto list = weak.lock();
            if (!list || !list->ld->view)
                return false;
            if (item == "EditSelectAll")
                return list->ListCount() > 0;
            if (item == "EditCopy")
                return list->ld->view->selectionModel() && list->ld->view->selectionModel()->hasSelection();
            return false;
        },
        [weak](const std::string& item) {
            auto list = weak.lock();
            if (!list || !list->ld->view)
                return;
            if (item == "EditSelectAll")
                list->SelectAll();
            else if (item == "EditCopy") {
                std::string text = list->SelectedRowsText();
                if (!text.empty())
                    QApplication::clipboard()->setText(toQString(text));
            }
        },
    });
    return v;
}

void Listbox::AddRow(const std::vector<std::string>& cells)
{
    std::size_t at = ld->cells.size();
    ld->cells.resize(at + static_cast<std::size_t>(ld->columns));
    for (std::size_t c = 0; c < cells.size() && c < static_cast<std::size_t>(ld->columns); ++c)
        ld->cells[at + c] = cells[c];
    ld->tags.emplace_back();
    ld->changed();
}

std::int32_t Listbox::LastIndex() const { return ld->rowCount() - 1; }
std::int32_t Listbox::ListCount() const { return ld->rowCount(); }

static std::size_t cellIndex(const ListboxPrivate& d, std::int32_t row, std::int32_t column)
{
    if (row < 0 || row >= d.rowCount() || column < 0 || column >= d.columns)
        throw OutOfBoundsException();
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(d.columns) + static_cast<std::size_t>(column);
}

const std::string& Listbox::Cell(std::int32_t row, std::int32_t column) const
{
    return ld->cells[cellIndex(*ld, row, column)];
}

void Listbox::SetCell(std::int32_t row, std::int32_t column, std::string text)
{
    ld->cells[cellIndex(*ld, row, column)] = std::move(text);
    if (ld->model)
        ld->model->markDirty(row);
    ld->changed();
}

Ref<Object> Listbox::RowTag(std::int32_t row) const
{
    if (row < 0 || row >= ld->rowCount())
        throw OutOfBoundsException();
    return ld->tags[static_cast<std::size_t>(row)];
}

void Listbox::SetRowTag(std::int32_t row, Ref<Object> tag)
{
    if (row < 0 || row >= ld->rowCount())
        throw OutOfBoundsException();
    ld->tags[static_cast<std::size_t>(row)] = std::move(tag);
}

std::int32_t Listbox::ColumnCount() const { return ld->columns; }
void Listbox::SetColumnCount(std::int32_t n) { ld->setColumns(n); }

void Listbox::SetColumnWidths(const std::string& widths)
{
    ld->widths.clear();
    std::size_t start = 0;
    while (start <= widths.size()) {
        auto comma = widths.find(',', start);
        std::string part = widths.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        int w = 0;
        bool digits = !part.empty() && std::all_of(part.begin(), part.end(), [](char ch) { return (ch >= '0' && ch <= '9') || ch == ' '; });
        if (digits)
            w = std::atoi(part.c_str());
        ld->widths.push_back(w);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    // The last column takes what is left; only the others get a width.
    for (std::size_t c = 0; c < ld->widths.size(); ++c)
        if (ld->widths[c] > 0 && ld->view && static_cast<std::int32_t>(c) < ld->columns - 1)
            ld->view->setColumnWidth(static_cast<int>(c), UnitsToPixels(ld->widths[c], LayoutScale()));
}

std::int32_t Listbox::ColumnWidth(std::int32_t column) const
{
    return ld->view ? PixelsToUnits(ld->view->columnWidth(column), LayoutScale()) : 0;
}

bool Listbox::HasHeading() const { return ld->hasHeading; }
void Listbox::SetHasHeading(bool v)
{
    ld->hasHeading = v;
    if (ld->view)
        ld->view->horizontalHeader()->setVisible(v);
}

void Listbox::SetInitialValue(const std::string& value)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        auto tab = value.find('\t', start);
        parts.push_back(value.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            break;
        start = tab + 1;
    }
    if (ld->hasHeading) {
        ld->headings = std::move(parts);
        if (ld->model)
            emit ld->model->headerDataChanged(Qt::Horizontal, 0, ld->columns - 1);
    } else if (!value.empty()) {
        AddRow(parts);
    }
}

std::string Listbox::Heading(std::int32_t column) const
{
    return column >= 0 && column < static_cast<std::int32_t>(ld->headings.size()) ? ld->headings[static_cast<std::size_t>(column)] : std::string();
}

std::int32_t Listbox::SelectionType() const { return ld->selectionType; }
void Listbox::SetSelectionType(std::int32_t v)
{
    ld->selectionType = v;
    // 0 and 1 both let the user select several rows with the keyboard and
    // mouse modifiers, so that Select All and Copy mean something.
    if (ld->view)
        ld->view->setSelectionMode(QAbstractItemView::ExtendedSelection);
}

std::string Listbox::SelectedRowsText() const
{
    std::string out;
    if (!ld->view || !ld->view->selectionModel())
        return out;
    std::set<int> rows;
    for (const QModelIndex& i : ld->view->selectionModel()->selectedIndexes())
        rows.insert(i.row());
    for (int r : rows) {
        for (std::int32_t c = 0; c < ld->columns; ++c) {
            if (c)
                out += '\t';
            out += Cell(r, c);
        }
        out += '\n';
    }
    return out;
}

void Listbox::SelectAll()
{
    FlushView();
    if (ld->view)
        ld->view->selectAll();
}

void Listbox::FlushView()
{
    if (ld->model)
        ld->model->sync();
    if (ld->refresh)
        ld->refresh->stop();
}

}
