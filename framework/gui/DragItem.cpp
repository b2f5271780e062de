#include "framework/gui/DragItem.h"

namespace fw {

DragItem::DragItem(std::vector<Ref<fw::FolderItem>> items)
    : mItems(std::move(items))
{
    if (mItems.empty())
        mItems.push_back(nullptr);
}

bool DragItem::NextItem()
{
    if (mIndex + 1 >= mItems.size())
        return false;
    ++mIndex;
    return true;
}

}
