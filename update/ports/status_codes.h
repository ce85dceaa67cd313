#pragma once
// Status codes and flags the portable core reasons about. The values are the
// Win32 ones, so the Win32 adapters pass them through unchanged.
#include <cstdint>

namespace quillet {

enum : long {
  kErrorSuccess = 0,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorInvalidFunction = 1,
  kErrorNotReady = 21,
  kErrorSharingViolation = 32,
  kErrorFileExists = 80,
  kErrorAlreadyExists = 183,
  kErrorMoreData = 234,
  kErrorNoMoreItems = 259,
};

// Dialog results.
enum : int { kIdOk = 1, kIdCancel = 2 };

}  // namespace quillet
