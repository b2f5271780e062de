#pragma once

#include "framework/gui/FileType.h"

#include <string>

// The application's one document type, "DNG".
extern fw::Ref<fw::FileType> DropTypes_pDNG;
void DropTypes__Initialize();
// Every type of the set, each followed by ";".
std::string DropTypes_All();
// Exit hook: empties pDNG, then releases the type, which deregisters it.
void DropTypes_pDNG___Exit();
