// The data object of a drag out of the result list. The platform has no
// ready one, so this is the least a drop target needs: the files as
// CF_HDROP in global memory, and nothing else.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string_view>

#include "framework/win_handles.h"

// A movable, zero-filled global block holding `bytes`; empty when memory
// ran out.
GlobalMemoryHandle CopyToGlobalMemory(std::string_view bytes);

// Offers `block`, a file-drop block (resultlist/file_drop_block.h), as
// CF_HDROP. The object owns the block and frees it with its last
// reference; each GetData hands out a copy for the receiver to free. Empty
// when `block` is empty or memory ran out.
ComPtr<IDataObject> CreateFileDropData(GlobalMemoryHandle block);
