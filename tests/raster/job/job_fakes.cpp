#include "job_fakes.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <random>
#include <regex>
#include <string>

#include "raster/spooler/system_ports.h"

namespace vexmoor::testing {

FakeHost* FakeHost::current = nullptr;

FakeHost::FakeHost() { current = this; }
FakeHost::~FakeHost() {
  if (current == this) current = nullptr;
}

std::vector<std::uint8_t>& FakeHost::block(int job) { return blocks[job]; }

void FakeHost::useScreens(int count) {
  thresholds.assign(4, 128);
  PlexorScreenEntry e{};
  e.width = 2;
  e.height = 2;
  e.thresholds = thresholds.data();
  screenEntries.assign(std::size_t(count), e);
}

void put16(std::vector<std::uint8_t>& b, std::size_t at, std::int16_t v) {
  b[at] = std::uint8_t(v);
  b[at + 1] = std::uint8_t(std::uint16_t(v) >> 8);
}

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::int32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(std::uint32_t(v) >> (8 * i));
}

void putWide(std::vector<std::uint8_t>& b, std::size_t at, const std::u16string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) put16(b, at + 2 * i, std::int16_t(text[i]));
  put16(b, at + 2 * text.size(), 0);
}

std::vector<std::uint8_t> makeBlock(int bitsPerPixel, int screening) {
  std::vector<std::uint8_t> b(PLEXOR_PARAM_BLOCK_SIZE, 0);
  std::memcpy(b.data(), "NVPMD", 6);
  b[PPB_INPUT_PLANES] = 4;
  b[PPB_INPUT_COLOUR_TYPE] = 2;
  b[PPB_OUTPUT_PLANES] = 4;
  b[PPB_INK_SET] = 2;
  put16(b, PPB_RESOLUTION1, 720);
  put16(b, PPB_RESOLUTION2, 720);
  b[PPB_SCREENING] = std::uint8_t(screening);
  b[PPB_BITS_PER_PIXEL] = std::uint8_t(bitsPerPixel);
  putWide(b, PPB_DEVICE_NAME, u"dev");
  putWide(b, PPB_MODE_NAME, bitsPerPixel == 2 ? u"x (Quality3-\u9AD8\u54C1\u8CEA-\u5358)" : u"(Banner4-\u9AD8\u901F-\u53CC)");
  putWide(b, PPB_DOCUMENT_NAME, u"doc");
  return b;
}

namespace {

FakeHost& H() { return *FakeHost::current; }

int getPrintParams(int job, void* block, int, std::uint32_t* token) {
  auto it = H().blocks.find(job);
  if (H().getPrintParamsResult == 0 || it == H().blocks.end()) return 0;
  std::memcpy(block, it->second.data(), PLEXOR_PARAM_BLOCK_SIZE);
  *token = 7;
  return 1;
}
int setPrintParams(int job, void* block, int mode, std::uint32_t token) {
  if (mode != 1 || token != 7) return 0;
  auto& b = H().blocks[job];
  b[PPB_WAITING] = static_cast<std::uint8_t*>(block)[PPB_WAITING];
  H().waitingHistory.push_back(b[PPB_WAITING]);
  return 1;
}
void clearWorkArea(void*) {}
int getRIPDevInfo(const char* device, void* record) {
  auto it = H().devices.find(device);
  if (it == H().devices.end()) return 0;
  std::memset(record, 0, PLEXOR_DEVINFO_SIZE);
  std::strcpy(static_cast<char*>(record) + PLEXOR_DEVINFO_NAME_OFFSET, it->second.c_str());
  return 1;
}
std::string joined(const char* name, std::initializer_list<long long> values) {
  std::string s = name;
  for (long long v : values) s += " " + std::to_string(v);
  return s;
}
void note(const char* name, std::initializer_list<long long> values) { H().callArgs.push_back(joined(name, values)); }

int getColorAdjustData(int id, void* buffer, int zero, void** address) {
  note("GetColorAdjustData", {id, zero, *address == buffer ? 1 : 0});
  H().colorAdjustDataAddress = *address;
  return 1;
}
int getScreenData(int id, void* record, int zero, std::uint32_t*) {
  note("GetScreenData", {id, zero});
  auto* r = static_cast<PlexorScreenRecord*>(record);
  if (H().screenEntries.empty()) return 0;
  r->entryCount = std::int8_t(H().screenEntries.size());
  r->entries = H().screenEntries.data();
  return 1;
}
void* handle(const char* name) {
  H().calls.push_back(name);
  return reinterpret_cast<void*>(std::uintptr_t(0x1000 + H().calls.size()));
}
void* openAdjust(void* data, const char* name) {
  H().colorAdjustDataOpened = data;
  void* h = handle(name);
  return H().openColorAdjustFails ? nullptr : h;
}
void* openCMYK(void* data) { return openAdjust(data, "OpenColorAdjust_CMYK"); }
void* openOrGr(void* data) { return openAdjust(data, "OpenColorAdjust_CMYKOrGr"); }
void* openLcLm(void* data) { return openAdjust(data, "OpenColorAdjust_CMYKLcLm"); }
int writeCMYK(void*, void**, int width, int lines, int planeCount) {
  note("WriteColorAdjust_CMYK_old", {width, lines, planeCount});
  return H().calls.push_back("WriteColorAdjust_CMYK_old"), 1;
}
void noteConverted(void** converted) {
  for (int i = 0; i < 7; ++i) H().lastConverted[i] = converted[i];
}
int writeOrGr(void*, void**, int width, int lines, int planeCount, void** converted, int inkCount) {
  note("WriteColorAdjust_CMYKOrGr", {width, lines, planeCount, inkCount});
  noteConverted(converted);
  return H().calls.push_back("WriteColorAdjust_CMYKOrGr"), 1;
}
int writeLcLm(void*, void**, int width, int lines, int planeCount, void** converted, int inkCount) {
  note("WriteColorAdjust_CMYKLcLm", {width, lines, planeCount, inkCount});
  noteConverted(converted);
  return H().calls.push_back("WriteColorAdjust_CMYKLcLm"), 1;
}
void closeCMYK(void*) { H().calls.push_back("CloseColorAdjust_CMYK"); }
void closeOrGr(void*) { H().calls.push_back("CloseColorAdjust_CMYKOrGr"); }
void closeLcLm(void*) { H().calls.push_back("CloseColorAdjust_CMYKLcLm"); }
int errdiffParam(void*, void* record) {
  H().calls.push_back("GetErrorDiffParam");
  if (H().getErrorDiffParamResult) static_cast<PlexorErrdiffParams*>(record)->inkCount = 99;
  return H().getErrorDiffParamResult;
}
int errdiffParamLcLm(void*, void* record) {
  H().calls.push_back("GetErrorDiffParam_LcLm");
  if (H().getErrorDiffParamResult) static_cast<PlexorErrdiffParams*>(record)->inkCount = 98;
  return H().getErrorDiffParamResult;
}
void* openErrdiff(int job, int width, int inkCount) {
  note("OpenErrdiff", {job, width, inkCount});
  return H().openErrdiffFails ? nullptr : handle("OpenErrdiff");
}
void* openErrdiff4(int job, int width, int inkCount, void* params) {
  note("OpenErrdiff4", {job, width, inkCount});
  std::memcpy(&H().lastErrdiffParams, params, sizeof(PlexorErrdiffParams));
  return H().openErrdiffFails ? nullptr : handle("OpenErrdiff4");
}
// Marks the first byte of every screened row so that the stream shows the call.
int writeErrdiffAny(const char* name, int ink, void** screened, int rowLength, int lines) {
  H().calls.push_back(name);
  for (int i = 0; i < ink; ++i)
    for (int r = 0; r < lines; ++r) static_cast<std::uint8_t*>(screened[i])[std::size_t(r) * rowLength] = 0xA5;
  return 1;
}
void noteErrdiff(const char* name, int ink, void** c, void** s, int width, int rowLength, int lines, int left,
                 char mirror) {
  note(name, {ink, width, rowLength, lines, left, mirror});
  noteConverted(c);
  for (int i = 0; i < 7; ++i) H().lastScreened[i] = i < 6 ? s[i] : nullptr;
}
int writeErrdiff(void*, int ink, void** c, void** s, int width, int rowLength, int lines, int left, char mirror) {
  noteErrdiff("WriteErrdiff", ink, c, s, width, rowLength, lines, left, mirror);
  return writeErrdiffAny("WriteErrdiff", ink, s, rowLength, lines);
}
int writeErrdiff4(void*, int ink, void** c, void** s, int width, int rowLength, int lines, int left, char mirror) {
  noteErrdiff("WriteErrdiff4", ink, c, s, width, rowLength, lines, left, mirror);
  return writeErrdiffAny("WriteErrdiff4", ink, s, rowLength, lines);
}
void closeErrdiff(void*) { H().calls.push_back("CloseErrdiff"); }

// Copy bitmaps: the handle is the identifier; one position per open bitmap.
int openBitmap(int id) {
  H().bitmapCalls.push_back(joined("open", {id}));
  if (!H().copyBitmaps.count(id) || H().bitmapPositions.count(id)) return -1;
  ++H().openCopyBitmaps;
  H().bitmapPositions[id] = 0;
  return id;
}
int seekBitmap(int handle, std::uint32_t low, std::uint32_t high, int) {
  const std::uint64_t position = std::uint64_t(high) << 32 | low;
  H().bitmapCalls.push_back(joined("seek", {handle, (long long)position}));
  H().bitmapPositions[handle] = position;
  return 1;
}
int readBitmap(int handle, void* buffer, int count) {
  const auto& bytes = H().copyBitmaps[handle];
  std::uint64_t& position = H().bitmapPositions[handle];
  const std::uint64_t left = position < bytes.size() ? bytes.size() - position : 0;
  const int got = left < std::uint64_t(count) ? int(left) : count;
  if (got > 0) std::memcpy(buffer, bytes.data() + position, std::size_t(got));
  position += std::uint64_t(got);
  H().bitmapCalls.push_back(joined("read", {handle, count, got}));
  return got;
}
void closeBitmap(int handle) {
  H().bitmapCalls.push_back(joined("close", {handle}));
  H().bitmapPositions.erase(handle);
  --H().openCopyBitmaps;
}
void closeErrdiff4(void*) { H().calls.push_back("CloseErrdiff4"); }

// ---- spooler ----
struct Handle {
  FakeSpooler* spooler;
  std::string printer;
  int document = -1;
};

std::string narrow(const char16_t* t) {
  std::string s;
  while (*t) s.push_back(char(*t++));
  return s;
}

bool spOpen(void* ctx, const char16_t* name, bool allAccess, PrinterHandle* h) {
  auto* s = static_cast<FakeSpooler*>(ctx);
  if (s->opensBeforeFailure == 0) return false;
  if (s->opensBeforeFailure > 0) --s->opensBeforeFailure;
  std::string n = narrow(name);
  bool known = false;
  for (auto& p : s->printers) known = known || p == n;
  if (!known) return false;
  if (allAccess) ++s->allAccessOpens;
  ++s->openHandles;
  *h = new Handle{s, n};
  return true;
}
bool spStart(void*, PrinterHandle h, const char16_t* name) {
  auto* hd = static_cast<Handle*>(h);
  hd->spooler->documents.push_back(SpoolDocument{hd->printer, name, "", false});
  hd->document = int(hd->spooler->documents.size()) - 1;
  return true;
}
bool spWrite(void*, PrinterHandle h, const void* bytes, std::uint32_t length) {
  auto* hd = static_cast<Handle*>(h);
  FakeSpooler* s = hd->spooler;
  if (s->writesBeforeFailure == 0) return false;
  if (s->writesBeforeFailure > 0) --s->writesBeforeFailure;
  if (hd->document < 0) return false;
  s->documents[std::size_t(hd->document)].bytes.append(static_cast<const char*>(bytes), length);
  return true;
}
bool spEnd(void*, PrinterHandle h) {
  auto* hd = static_cast<Handle*>(h);
  if (hd->document < 0) return false;
  if (hd->spooler->endsBeforeFailure == 0) return false;
  if (hd->spooler->endsBeforeFailure > 0) --hd->spooler->endsBeforeFailure;
  hd->spooler->documents[std::size_t(hd->document)].ended = true;
  hd->document = -1;
  return true;
}
bool spAbort(void*, PrinterHandle h) {
  auto* hd = static_cast<Handle*>(h);
  if (hd->document < 0) return false;
  hd->spooler->documents[std::size_t(hd->document)].discarded = true;
  hd->document = -1;
  return true;
}
bool spClose(void*, PrinterHandle h) {
  auto* hd = static_cast<Handle*>(h);
  --hd->spooler->openHandles;
  delete hd;
  return true;
}
bool spDir(void* ctx, PrinterHandle, char16_t* dir, std::size_t capacity) {
  if (!static_cast<FakeSpooler*>(ctx)->spoolDirectoryFound || capacity < 8) return false;
  std::u16string d = u"C:\\spool";
  for (std::size_t i = 0; i <= d.size(); ++i) dir[i] = i < d.size() ? d[i] : 0;
  return true;
}
bool spState(void* ctx, PrinterHandle, PrinterState* state) {
  state->queuedJobs = static_cast<FakeSpooler*>(ctx)->queuedJobs;
  return true;
}

bool diskFree(void* ctx, const char16_t*, std::uint64_t* bytes) {
  auto* d = static_cast<FakeDisk*>(ctx);
  if (d->fails) return false;
  *bytes = d->freeBytes;
  return true;
}

bool configRead(void* ctx, const char16_t* name, std::uint32_t* value) {
  auto* c = static_cast<FakeConfig*>(ctx);
  auto it = c->values.find(name);
  if (it == c->values.end()) return false;
  *value = it->second;
  return true;
}

void clockSleep(void* ctx, std::uint32_t ms) {
  auto* c = static_cast<FakeClock*>(ctx);
  c->sleeps.push_back(ms);
  if (c->onSleep) c->onSleep(int(c->sleeps.size()));
}

void* memAlloc(void* ctx, std::size_t bytes) {
  auto* m = static_cast<CountingMemory*>(ctx);
  ++m->allocations;
  m->lastRequest = bytes;
  if (m->failAt == m->allocations) return nullptr;
  return std::calloc(1, bytes);
}
void memFree(void* ctx, void* p) {
  if (!p) return;
  ++static_cast<CountingMemory*>(ctx)->releases;
  std::free(p);
}

void toWide(void*, const char* text, char16_t* out, std::size_t capacity) {
  std::size_t n = 0;
  for (; text[n] && n + 1 < capacity; ++n) out[n] = char16_t(static_cast<unsigned char>(text[n]));
  out[n] = 0;
}
void toNarrow(void*, const char16_t* text, char* out, std::size_t capacity) {
  std::size_t n = 0;
  for (; text[n] && n + 1 < capacity; ++n) out[n] = char(text[n]);
  out[n] = 0;
}

}  // namespace

HostPort FakeHost::port() const {
  HostPort h{};
  h.getPrintParams = &getPrintParams;
  h.setPrintParams = &setPrintParams;
  h.clearPrintParamsWorkArea = &clearWorkArea;
  h.getRIPDevInfo = &getRIPDevInfo;
  h.getColorAdjustData = &getColorAdjustData;
  h.getScreenData = &getScreenData;
  h.openColorAdjustCMYK = &openCMYK;
  h.openColorAdjustCMYKOrGr = &openOrGr;
  h.openColorAdjustCMYKLcLm = &openLcLm;
  h.writeColorAdjustCMYKOld = &writeCMYK;
  h.writeColorAdjustCMYKOrGr = &writeOrGr;
  h.writeColorAdjustCMYKLcLm = &writeLcLm;
  h.closeColorAdjustCMYK = &closeCMYK;
  h.closeColorAdjustCMYKOrGr = &closeOrGr;
  h.closeColorAdjustCMYKLcLm = &closeLcLm;
  h.getErrorDiffParam = &errdiffParam;
  h.getErrorDiffParamLcLm = &errdiffParamLcLm;
  h.openErrdiff = &openErrdiff;
  h.openErrdiff4 = &openErrdiff4;
  h.writeErrdiff = &writeErrdiff;
  h.writeErrdiff4 = &writeErrdiff4;
  h.closeErrdiff = &closeErrdiff;
  h.closeErrdiff4 = &closeErrdiff4;
  h.openCopyBitmap = &openBitmap;
  h.seekCopyBitmap = &seekBitmap;
  h.readCopyBitmap = &readBitmap;
  h.closeCopyBitmap = &closeBitmap;
  return h;
}

SpoolerPort FakeSpooler::port() {
  return SpoolerPort{this, &spOpen, &spStart, &spWrite, &spEnd, &spAbort, &spClose, &spDir, &spState};
}
DiskSpacePort FakeDisk::port() { return DiskSpacePort{this, &diskFree}; }
ConfigPort FakeConfig::port() { return ConfigPort{this, &configRead}; }
ClockPort FakeClock::port() { return ClockPort{this, &clockSleep}; }
MemoryPort CountingMemory::port() { return MemoryPort{this, &memAlloc, &memFree}; }
TextPort asciiTextPort() { return TextPort{nullptr, &toWide, &toNarrow}; }

JobEnvironment FakeWorld::env() {
  JobEnvironment e{};
  e.host = host.port();
  e.spooler = spooler.port();
  e.disk = disk.port();
  e.config = config.port();
  e.clock = clock.port();
  e.memory = memory.port();
  e.text = asciiTextPort();
  e.counterFile = systemCounterFilePort();  // real files of the test's own
  e.counterFilePath = counterFile.c_str();
  return e;
}

int countRowTransfers(const std::string& stream) {
  static const std::regex row("\x1b\\*b[0-9]+W");
  return int(std::distance(std::sregex_iterator(stream.begin(), stream.end(), row), std::sregex_iterator()));
}

std::string scratchFile(const std::string& name) {
  static const std::string processTag = std::to_string(std::random_device{}());
  return (std::filesystem::temp_directory_path() / (processTag + "_" + name)).string();
}

}  // namespace vexmoor::testing
