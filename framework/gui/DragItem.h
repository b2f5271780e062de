#pragma once

#include "framework/core/FolderItem.h"

#include <vector>

namespace fw {

// The items of one drop, walked with NextItem from the first.
class DragItem : public Object {
public:
    // One entry per dropped item; none for an item that is not a local file.
    explicit DragItem(std::vector<Ref<fw::FolderItem>> items);

    bool FolderItemAvailable() const { return current() != nullptr; }
    Ref<fw::FolderItem> FolderItem() const { return current(); }
    // Moves to the next item; false at the end.
    bool NextItem();

private:
    Ref<fw::FolderItem> current() const { return mIndex < mItems.size() ? mItems[mIndex] : nullptr; }
    std::vector<Ref<fw::FolderItem>> mItems;
    std::size_t mIndex = 0;
};

}
