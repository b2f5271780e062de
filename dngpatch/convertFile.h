#pragma once

#include "framework/core/FolderItem.h"

#include <cstdint>
#include <string>

namespace dngpatch {

// The operation modes; every value other than these two reverts.
constexpr std::int32_t ModeMakeCompatible = 0;
constexpr std::int32_t ModeRevert = 1;
constexpr std::int32_t ModeCheckOnly = 2;

// Checks one DNG file's TIFF header and first directory within its first
// 1024 bytes and reports or rewrites DNGBackwardVersion in place. On a normal
// return result holds the file's status text. mode is read once, when the
// walk reaches the version entry, so a change made at a yield point before
// then applies to this file. A failed header read (IOException) and a missing
// reference (NilObjectException) leave the call with result untouched.
void convertFile(const fw::Ref<fw::FolderItem>& file, std::string& result, const std::int32_t& mode);

}
