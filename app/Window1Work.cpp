// The main road: drops collected into batches, batches queued in the file
// list, and the worker that runs the engine over every queued row. Each loop
// pass ends at a yield point, where the worker and the main thread take turns;
// nothing here takes a lock.

#include "app/DropTypes.h"
#include "app/Window1.h"

#include "framework/core/Dictionary.h"
#include "framework/core/Runtime.h"
#include "framework/core/RuntimeException.h"
#include "framework/core/Text.h"
#include "framework/gui/SystemServices.h"

using namespace fw;

namespace {

// The last four characters of the name are ".dng", letter case ignored.
bool hasDngSuffix(const FolderItem& item)
{
    return RuntimeStringCompare(Right(item.Name(), 4), ".dng") == 0;
}

}

void Window1::converterThread_Run(const Ref<Thread>&)
{
    // The window's controls live as long as the window: the list is looked
    // up once, not on every pass over a list that may hold 100,000 rows.
    const Ref<Listbox> listRef = filesList();
    Listbox& list = Checked(listRef);
    std::int32_t i = 0;
    for (;;) {
        // Rows appended meanwhile are reached: the count is read every pass.
        if (list.ListCount() - 1 < i)
            return;
        if (RuntimeStringCompare(list.Cell(i, 0), "") == 0) {
            list.SetCell(i, 0, "...");
            Ref<FolderItem> file = RuntimeCheckCast<FolderItem>(list.RowTag(i));
            std::string result;
            convertFile(file, result);
            list.SetCell(i, 0, std::move(result));
        }
        YieldPoint();
        ++i;
    }
}

void Window1::processFiles(const std::vector<Ref<FolderItem>>& files)
{
    // Full path to row, from the rows listed now; the later of two rows with
    // one path wins. Rows this batch adds are not entered.
    const Ref<Listbox> listRef = filesList();
    Listbox& list = Checked(listRef);
    Dictionary rowOfPath;
    rowOfPath.Reserve(static_cast<std::size_t>(list.ListCount()));
    for (std::int32_t i = 0; i <= list.ListCount() - 1; ++i) {
        Ref<FolderItem> tag = RuntimeCheckCast<FolderItem>(list.RowTag(i));
        rowOfPath.SetValue(Checked(tag).AbsolutePath(), i);
        YieldPoint();
    }

    for (const Ref<FolderItem>& f : files) {
        if (!rowOfPath.HasKey(Checked(f).AbsolutePath())) {
            list.AddRow({ "" });
            list.SetCell(list.LastIndex(), 1, Checked(f).AbsolutePath());
            list.SetRowTag(list.LastIndex(), f);
        } else {
            std::int32_t row = rowOfPath.Value(Checked(f).AbsolutePath()).Int32Value();
            list.SetCell(row, 0, "");
        }
        YieldPoint();
    }

    // The operation is set and the worker started with no yield between.
    mMode = Checked(modePop()).ListIndex();
    try {
        Checked(converterThread()).Run();
    } catch (const ThreadAlreadyRunningException&) {
        // The running worker goes on from where it is.
    }
}

void Window1::againBut_Action(const Ref<PushButton>&)
{
    const Ref<Listbox> listRef = filesList();
    Listbox& list = Checked(listRef);
    std::vector<Ref<FolderItem>> files;
    for (std::int32_t i = 0; i <= list.ListCount() - 1; ++i) {
        list.SetCell(i, 0, "");
        files.push_back(RuntimeCheckCast<FolderItem>(list.RowTag(i)));
        YieldPoint();
    }
    processFiles(files);
}

void Window1::Event_Open()
{
    AcceptFileDrop(DropTypes_All());
}

void Window1::Event_DropObject(const Ref<DragItem>& obj, std::int32_t)
{
    std::vector<Ref<FolderItem>> collected;
    DragItem& items = Checked(obj);
    do {
        if (items.FolderItemAvailable()) {
            Ref<FolderItem> item = items.FolderItem();
            if (item && item->Alias()) {
                // A dropped link stands for what it names. One that names
                // nothing is skipped like an item without a reference, so
                // the rest of the drop is still queued.
                Ref<FolderItem> parent = item->Parent();
                item = parent ? parent->Child(item->Name()) : nullptr;
            }
            if (item) {
                if (item->Directory())
                    addDirContents(item, collected);
                else if (hasDngSuffix(*item))
                    collected.push_back(item);
            }
        }
        YieldPoint();
    } while (items.NextItem());

    if (collected.empty()) {
        Beep();
        return;
    }
    processFiles(collected);
}

void Window1::addDirContents(const Ref<FolderItem>& folder, std::vector<Ref<FolderItem>>& collected)
{
    std::int64_t count = Checked(folder).Count();
    for (std::int64_t i = 1; i <= count; ++i) {
        // An entry the folder lost since Count was read is skipped.
        if (Ref<FolderItem> item = folder->TrueItem(i)) {
            if (item->Directory())
                addDirContents(item, collected);
            else if (!item->Alias() && hasDngSuffix(*item))
                collected.push_back(item);
        }
        YieldPoint();
    }
}
