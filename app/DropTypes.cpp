#include "app/DropTypes.h"

#include "framework/core/Runtime.h"

using namespace fw;

Ref<FileType> DropTypes_pDNG;

void DropTypes__Initialize()
{
    DropTypes_pDNG = RuntimeCheckCast<FileType>(RuntimeNewObject(FileType::ClassDescription()));
    DropTypes_pDNG->SetName("DNG");
    DropTypes_pDNG->SetExtensions(".dng");
    DropTypes_pDNG->SetMacType("");
    DropTypes_pDNG->SetMacCreator("");
    // Converting registers the type, now that all four properties hold.
    (void)DropTypes_pDNG->Operator_Convert();
}

std::string DropTypes_All()
{
    return "DNG;";
}

void DropTypes_pDNG___Exit()
{
    Ref<FileType> held = std::move(DropTypes_pDNG);
    DropTypes_pDNG = nullptr;
    RuntimeReleaseLog().push_back("DropTypes.pDNG");
    held.reset();
}
