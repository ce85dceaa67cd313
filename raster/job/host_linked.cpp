// Binds the host port to the libraries the module imports by name.
#include "raster/job/host_port.h"
#include "raster/job/host_contract.h"

namespace vexmoor {

HostPort linkedHostPort() {
  HostPort h{};
  h.getPrintParams = &GetPrintParams;
  h.setPrintParams = &SetPrintParams;
  h.clearPrintParamsWorkArea = &ClearPrintParamsWorkArea;
  h.getRIPDevInfo = &GetRIPDevInfo;
  h.getColorAdjustData = &GetColorAdjustData;
  h.getScreenData = &GetScreenData;
  h.openColorAdjustCMYK = &OpenColorAdjust_CMYK;
  h.openColorAdjustCMYKOrGr = &OpenColorAdjust_CMYKOrGr;
  h.openColorAdjustCMYKLcLm = &OpenColorAdjust_CMYKLcLm;
  h.writeColorAdjustCMYKOld = &WriteColorAdjust_CMYK_old;
  h.writeColorAdjustCMYKOrGr = &WriteColorAdjust_CMYKOrGr;
  h.writeColorAdjustCMYKLcLm = &WriteColorAdjust_CMYKLcLm;
  h.closeColorAdjustCMYK = &CloseColorAdjust_CMYK;
  h.closeColorAdjustCMYKOrGr = &CloseColorAdjust_CMYKOrGr;
  h.closeColorAdjustCMYKLcLm = &CloseColorAdjust_CMYKLcLm;
  h.getErrorDiffParam = &GetErrorDiffParam;
  h.getErrorDiffParamLcLm = &GetErrorDiffParam_LcLm;
  h.openErrdiff = &OpenErrdiff;
  h.openErrdiff4 = &OpenErrdiff4;
  h.writeErrdiff = &WriteErrdiff;
  h.writeErrdiff4 = &WriteErrdiff4;
  h.closeErrdiff = &CloseErrdiff;
  h.closeErrdiff4 = &CloseErrdiff4;
  h.openCopyBitmap = &OpenCopyBitmap;
  h.seekCopyBitmap = &SeekCopyBitmap;
  h.readCopyBitmap = &ReadCopyBitmap;
  h.closeCopyBitmap = &CloseCopyBitmap;
  return h;
}

}  // namespace vexmoor
