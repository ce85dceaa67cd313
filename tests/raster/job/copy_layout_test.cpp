// The copy layout: the group table walked across calls (groups of no rows,
// planes dropped, read positions kept), where it ends, short bitmaps, the
// layouts refused at load, and a job's top offset and drain. Whole pages
// with copies in bands, and broken layouts in jobs: copy_layout_native.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "job_fakes.h"
#include "raster/job/copy_layout.h"
#include "raster/job/printer_job.h"
#include "stream_reader.h"

namespace vexmoor::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Record { std::int32_t id, rowBytes; std::uint16_t planes; };
struct Item { std::uint32_t x, index; };
struct Group { std::uint32_t rows; std::vector<Item> items; };

struct LayoutFile {
  std::uint32_t totalRows = 0;
  std::int32_t pageHeight = 80, pageWidth = 32;
  std::vector<Record> records;
  std::vector<Group> groups;
  Bytes bytes() const {
    Bytes b(40 + 56 * records.size(), 0);
    auto put = [&b](std::size_t at, std::uint32_t v, int width = 4) {
      for (int i = 0; i < width; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
    };
    put(0, std::uint32_t(records.size()), 2);
    put(8, totalRows), put(16, std::uint32_t(pageHeight)), put(20, std::uint32_t(pageWidth));
    for (std::size_t i = 0; i < records.size(); ++i) {
      put(40 + 56 * i + 8, std::uint32_t(records[i].id));
      put(40 + 56 * i + 16, 0xDEAD);  // replaced by 256 at load
      put(40 + 56 * i + 44, std::uint32_t(records[i].rowBytes));
      put(40 + 56 * i + 48, records[i].planes, 2);
    }
    for (const Group& g : groups) {
      b.resize(b.size() + 8 + 8 * g.items.size());
      std::size_t at = b.size() - 8 - 8 * g.items.size();
      put(at, g.rows), put(at + 4, std::uint32_t(g.items.size()));
      for (const Item& it : g.items) put(at += 8, it.x), put(at + 4, it.index);
    }
    put(32, std::uint32_t(b.size()));
    return b;
  }
};

std::string save(const Bytes& bytes, const std::string& name = "layout.bin") {
  std::string path = scratchFile("vexmoor_" + name);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

// A copy bitmap: 256-byte header with the kind digit at 36, then `rows` rows
// of `planes` planes, byte k of row r, plane p being 0x10 * (r + 1) + p + k.
Bytes bitmap(char kind, int rows, int planes, int rowBytes) {
  Bytes b(256, 0);
  b[36] = std::uint8_t(kind);
  for (int r = 0; r < rows; ++r)
    for (int p = 0; p < planes; ++p)
      for (int k = 0; k < rowBytes; ++k) b.push_back(std::uint8_t(0x10 * (r + 1) + p + k));
  return b;
}

struct Band {
  std::vector<Bytes> planes;
  std::vector<std::uint8_t*> rows;
  Band(int planeCount, int lines, int rowLength) : planes(std::size_t(planeCount), Bytes(std::size_t(lines * rowLength))) {
    for (Bytes& p : planes) rows.push_back(p.data());
  }
};

class CopyLayoutTest : public ::testing::Test {
 protected:
  CopyLayout* load(const LayoutFile& f, int bits = 1, long long minWidth = 32) {
    return readCopyLayoutFile(world.env(), save(f.bytes()).c_str(), minWidth, bits);
  }
  std::vector<std::string> seeks() const {
    std::vector<std::string> out;
    for (const auto& c : world.host.bitmapCalls)
      if (c.rfind("seek", 0) == 0 || c.rfind("open", 0) == 0) out.push_back(c);
    return out;
  }
  FakeWorld world;
};

TEST_F(CopyLayoutTest, GroupsAreWalkedAcrossCallsWithPlanesDroppedAndPositionsKept) {
  world.host.copyBitmaps[10] = bitmap('1', 5, 6, 1);
  world.host.copyBitmaps[11] = bitmap('1', 3, 1, 1);
  LayoutFile f;
  f.totalRows = 5;
  f.records = {{10, 1, 6}, {11, 1, 1}};
  // The middle group of no rows never opens its bitmap; the last group ends
  // exactly at the total rows and the file ends with it.
  f.groups = {{2, {{0, 0}}}, {0, {{8, 1}}}, {3, {{8, 0}, {16, 1}}}};
  CopyLayout* layout = load(f);
  ASSERT_NE(layout, nullptr);
  Band first(4, 3, 4), second(4, 3, 4);
  EXPECT_EQ(combineLayoutRows(*layout, world.env().host, 3, 1, 4, 4, first.rows.data()), 2);
  EXPECT_EQ(combineLayoutRows(*layout, world.env().host, 3, 1, 4, 4, second.rows.data()), 0);
  EXPECT_EQ(combineLayoutRows(*layout, world.env().host, 3, 1, 4, 4, second.rows.data()), -1);
  // Six planes of 1 byte a row: the position moves 6 bytes per row, the two
  // dropped planes included.
  EXPECT_EQ(seeks(), (std::vector<std::string>{"open 10", "seek 10 256", "open 10", "seek 10 268", "open 11",
                                               "seek 11 256", "open 10", "seek 10 274", "open 11", "seek 11 257"}));
  for (std::uint8_t p = 0; p < 4; ++p) {
    const std::uint8_t c = p == 0 ? 1 : 0;  // bitmap 11 has one plane
    EXPECT_EQ(first.planes[p], (Bytes{std::uint8_t(0x10 + p), 0, 0, 0, std::uint8_t(0x20 + p), 0, 0, 0, 0,
                                      std::uint8_t(0x30 + p), std::uint8_t(0x10 * c), 0}));
    EXPECT_EQ(second.planes[p], (Bytes{0, std::uint8_t(0x40 + p), std::uint8_t(0x20 * c), 0, 0,
                                       std::uint8_t(0x50 + p), std::uint8_t(0x30 * c), 0, 0, 0, 0, 0}));
  }
  EXPECT_EQ(world.host.openCopyBitmaps, 0);
  releaseCopyLayout(world.env(), layout);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

TEST_F(CopyLayoutTest, WhereALayoutEnds) {
  struct Case { const char* what; std::uint32_t totalRows; std::vector<Group> groups; int bits, bitmapRows, rowBytes;
                std::vector<int> results; };
  const Case cases[] = {
      {"total rows 0: nothing, not even the table", 0, {}, 1, 9, 1, {-1}},
      {"a table that ends before the total rows ends the layout there", 9, {{2, {{0, 0}}}}, 1, 9, 1, {7, -1}},
      {"a bitmap that cannot be opened", 4, {{4, {{0, 2}}}}, 1, 9, 1, {-1}},
      {"a short bitmap at 1 bit", 4, {{4, {{0, 0}}}}, 1, 2, 2, {-1, -1}},
      {"a short bitmap at 2 bits", 4, {{4, {{0, 0}}}}, 2, 2, 2, {-1, -1}},
      {"a short bitmap at 8 bits", 4, {{4, {{0, 0}}}}, 8, 2, 2, {-1, -1}},
      {"a bitmap header that cannot be read", 4, {{4, {{0, 0}}}}, 2, -1, 2, {-1}},
  };
  for (const Case& c : cases) {
    world.host.copyBitmaps[10] = c.bitmapRows < 0 ? Bytes(100) : bitmap('1', c.bitmapRows, 1, c.rowBytes);
    world.host.copyBitmaps[12] = bitmap('1', 9, 1, c.rowBytes);  // bitmap 13 is missing
    world.host.bitmapCalls.clear();
    LayoutFile f;
    f.totalRows = c.totalRows;
    f.records = {{10, c.rowBytes, 1}, {12, c.rowBytes, 1}, {13, c.rowBytes, 1}};
    f.groups = c.groups;
    f.pageWidth = 32 * 8;
    CopyLayout* layout = load(f, c.bits);
    ASSERT_NE(layout, nullptr) << c.what;
    for (int expected : c.results) {
      Band band(4, 5, 8 * c.bits);
      EXPECT_EQ(combineLayoutRows(*layout, world.env().host, 5, c.bits, 8 * c.bits, 4, band.rows.data()), expected)
          << c.what;
    }
    if (c.totalRows == 0) EXPECT_TRUE(world.host.bitmapCalls.empty());
    EXPECT_EQ(world.host.openCopyBitmaps, 0) << c.what;
    releaseCopyLayout(world.env(), layout);
  }
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

TEST_F(CopyLayoutTest, LayoutsThatDoNotHoldTogetherAreRefused) {
  auto patch = [](Bytes b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
    return b;
  };
  LayoutFile good;
  good.totalRows = 4;
  good.records = {{10, 4, 1}};
  good.groups = {{4, {{0, 0}}}};
  const Bytes g = good.bytes();  // record at 40, group header at 96, its item at 104
  auto with = [&](auto change) { LayoutFile f = good; change(f); return f.bytes(); };
  struct Case { const char* what; Bytes file; };
  const Case cases[] = {
      {"the size field beyond the file", patch(g, 32, std::uint32_t(g.size() + 1))},
      {"a size field below the header", patch(g, 32, 39)},
      {"negative N", patch(g, 0, 0xFFFF)},
      {"records outside the file", patch(g, 0, 3)},
      {"group items outside the file", patch(g, 100, 2)},
      {"a record index at N", patch(g, 108, 1)},
      {"a negative page height", with([](LayoutFile& f) { f.pageHeight = -1; })},
      {"a negative page width", with([](LayoutFile& f) { f.pageWidth = -32; })},
      {"a page narrower than the bands", with([](LayoutFile& f) { f.pageWidth = 31; })},
      {"negative bytes per row", with([](LayoutFile& f) { f.records[0].rowBytes = -1; })},
      {"a bitmap row wider than a page row", with([](LayoutFile& f) { f.records[0].rowBytes = 5; })},
      {"more planes than a job has", with([](LayoutFile& f) { f.records[0].planes = 8; })},
  };
  CopyLayout* layout = readCopyLayoutFile(world.env(), save(g).c_str(), 32, 1);
  ASSERT_NE(layout, nullptr);
  releaseCopyLayout(world.env(), layout);
  for (const Case& c : cases)
    EXPECT_EQ(readCopyLayoutFile(world.env(), save(c.file).c_str(), 32, 1), nullptr) << c.what;
  EXPECT_EQ(readCopyLayoutFile(world.env(), (::testing::TempDir() + "no/such/layout").c_str(), 32, 1), nullptr);
  EXPECT_EQ(readCopyLayoutFile(world.env(), save(Bytes(g.begin(), g.begin() + 39)).c_str(), 32, 1), nullptr);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

// A job whose layout places one bitmap (id 10, one byte a row, four planes)
// at x = 0 over all the layout's rows.
class CopyLayoutJobTest : public CopyLayoutTest {
 protected:
  void SetUp() override {
    world.counterFile = scratchFile("cntxout_layout.log");
    world.host.devices["dev"] = "P1";
    world.host.block(1) = makeBlock();
    world.host.copyBitmaps[10] = bitmap('1', 100, 4, 1);
  }
  void useLayout(std::uint32_t totalRows, std::int32_t bitmap = 10) {
    LayoutFile f;
    f.totalRows = totalRows;
    f.pageWidth = 40;
    f.records = {{bitmap, 1, 4}};
    f.groups = {{totalRows, {{0, 0}}}};
    const std::string path = save(f.bytes(), "job_layout.bin");
    std::copy(path.begin(), path.end(), world.host.block(1).begin() + PPB_LAYOUT_PATH);
  }
  // Rows read from the bitmap between one open and the next (four planes each).
  std::vector<int> rowsPerOpen() const {
    std::vector<int> rows;
    for (const auto& c : world.host.bitmapCalls) {
      if (c.rfind("open", 0) == 0) rows.push_back(0);
      if (c.rfind("read", 0) == 0) ++rows.back();
    }
    for (int& r : rows) r /= 4;
    return rows;
  }
  DecodedPage page() const { return decodeRows(world.spooler.documents.at(0).bytes); }
};

TEST_F(CopyLayoutJobTest, TopOffsetInChunksOf32ThenTheDrainUnmirrored) {
  put32(world.host.block(1), PPB_TOP_OFFSET, 70);
  world.host.block(1)[PPB_MIRROR] = 1;
  useLayout(75);
  PrinterJob* job = initPrinterJob(world.env(), 1, nullptr, 16, 0, 4);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->rasterWidth, 40);  // the layout's page, not width + left offset
  ASSERT_EQ(startPrinterJob(*job), 0);
  EXPECT_EQ(rowsPerOpen(), (std::vector<int>{32, 32, 6}));
  ASSERT_EQ(stopPrinterJob(*job), 0);
  EXPECT_EQ(job->mirror, 1);
  EXPECT_EQ(rowsPerOpen().size(), 3u + 5u);  // then one row per drain call
  closePrinterJob(job);
  const DecodedPage p = page();
  ASSERT_TRUE(p.ok);
  ASSERT_EQ(p.rows[1].size(), 75u);  // cyan, in stream order after black
  for (std::size_t r = 0; r < 75; ++r) {
    EXPECT_EQ(p.rows[1][r][0], std::uint8_t(0x10 * (r + 1))) << r;  // not mirrored
    EXPECT_EQ(p.rows[0][r][0], std::uint8_t(0x10 * (r + 1) + 3)) << r;
  }
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

// The layout ends at its page (80 rows); a lost bitmap fails the stop after the rows sent and the trailer.
TEST_F(CopyLayoutJobTest, TheDrainEndsAtThePageAndLostCopiesFailTheStop) {
  struct Case { std::uint32_t totalRows; std::int32_t bitmap; std::size_t rows; int stop; } cases[] = {
      {80, 10, 80, 0}, {4000000000u, 10, 80, 0},
      {80, 11, 0, 1},   // a bitmap the host does not have
      {80, 12, 30, 1}};  // one of 30 rows
  world.host.copyBitmaps[12] = bitmap('1', 30, 4, 1);
  for (const Case& c : cases) {
    world.spooler.documents.clear();
    useLayout(c.totalRows, c.bitmap);
    PrinterJob* job = initPrinterJob(world.env(), 1, nullptr, 16, 0, 4);
    ASSERT_EQ(startPrinterJob(*job), 0);
    EXPECT_EQ(stopPrinterJob(*job), c.stop) << c.totalRows << " " << c.bitmap;
    closePrinterJob(job);
    ASSERT_TRUE(page().ok);
    EXPECT_EQ(page().rows[1].size(), c.rows) << c.totalRows << " " << c.bitmap;
  }
}

}  // namespace
}  // namespace vexmoor::testing
