// USER32's MessageBoxW, shown by the backend.
#include "front.h"

using namespace velmora::platform;

// MessageBoxW: keeps showing caption and text (SDL's message box on a
// display, standard error without one, a record when headless) and
// returning IDOK. Leaves out buttons other than OK, icons beyond the
// error/warning/information kind, and modality towards the owner.
int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  WindowView ownerView;
  const bool hasOwner = DescribeWindow(owner, &ownerView);
  return ActiveBackend().ShowMessageBox(hasOwner ? &ownerView : nullptr, text != nullptr ? text : L"",
                                        caption != nullptr ? caption : L"Error", type);
}
