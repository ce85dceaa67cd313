// The dialog templates, strings and icon as linked into the program: every
// template's size, styles, font and controls, decoded from the binary
// resource independently of the dialog code.
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Item {
  DWORD exStyle = 0;
  DWORD style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  int id = 0;
  std::wstring className;  // predefined classes as "Button", "Edit", "Static"
  std::wstring text;
};

struct Template {
  DWORD exStyle = 0;
  DWORD style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::wstring caption;
  int pointSize = 0;
  std::wstring font;
  std::vector<Item> items;
};

class Reader {
 public:
  Reader(const BYTE* data, std::size_t size) : data_(data), size_(size) {}
  WORD word() { return static_cast<WORD>(byte() | (byte() << 8)); }
  DWORD dword() { return word() | (static_cast<DWORD>(word()) << 16); }
  BYTE byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::wstring text() {
    std::wstring out;
    for (WORD c = word(); c != 0 && at_ < size_; c = word()) out.push_back(static_cast<wchar_t>(c));
    return out;
  }
  // A name or ordinal: 0 none, 0xFFFF + ordinal, or a text.
  std::wstring nameOrOrdinal() {
    const WORD first = word();
    if (first == 0) return std::wstring();
    if (first == 0xFFFF) {
      switch (word()) {
        case 0x80: return L"Button";
        case 0x81: return L"Edit";
        case 0x82: return L"Static";
        default: return L"#ordinal";
      }
    }
    std::wstring out(1, static_cast<wchar_t>(first));
    for (WORD c = word(); c != 0 && at_ < size_; c = word()) out.push_back(static_cast<wchar_t>(c));
    return out;
  }
  void alignDword() { at_ = (at_ + 3) & ~static_cast<std::size_t>(3); }

 private:
  const BYTE* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

bool decode(int id, Template* out) {
  HRSRC found = FindResourceExW(nullptr, reinterpret_cast<LPCWSTR>(RT_DIALOG),
                                MAKEINTRESOURCEW(id), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
  if (found == nullptr) return false;
  const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
  Reader r(data, SizeofResource(nullptr, found));
  if (r.word() != 1 || r.word() != 0xFFFF) return false;  // DLGTEMPLATEEX
  r.dword();                                               // help id
  out->exStyle = r.dword();
  out->style = r.dword();
  const WORD count = r.word();
  out->x = static_cast<short>(r.word());
  out->y = static_cast<short>(r.word());
  out->cx = static_cast<short>(r.word());
  out->cy = static_cast<short>(r.word());
  r.nameOrOrdinal();  // menu
  r.nameOrOrdinal();  // class
  out->caption = r.text();
  if (out->style & DS_SETFONT) {
    out->pointSize = r.word();
    r.word();
    r.byte();
    r.byte();
    out->font = r.text();
  }
  for (WORD i = 0; i < count; ++i) {
    r.alignDword();
    Item item;
    r.dword();
    item.exStyle = r.dword();
    item.style = r.dword();
    item.x = static_cast<short>(r.word());
    item.y = static_cast<short>(r.word());
    item.cx = static_cast<short>(r.word());
    item.cy = static_cast<short>(r.word());
    item.id = static_cast<int>(r.dword());
    item.className = r.nameOrOrdinal();
    item.text = r.nameOrOrdinal();
    const WORD extra = r.word();
    for (WORD b = 0; b < extra; ++b) r.byte();
    out->items.push_back(item);
  }
  return true;
}

const Item* itemWithId(const Template& t, int id, int nth = 0) {
  for (const Item& item : t.items) {
    if (item.id == id && nth-- == 0) return &item;
  }
  return nullptr;
}

void expectRect(const Item* item, short x, short y, short cx, short cy) {
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->x, x);
  EXPECT_EQ(item->y, y);
  EXPECT_EQ(item->cx, cx);
  EXPECT_EQ(item->cy, cy);
}

// Class names are case-insensitive; the resource compiler may upper-case them.
bool sameClass(const std::wstring& a, const wchar_t* b) {
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b, -1) == CSTR_EQUAL;
}

const DWORD kStaticId = 0xFFFFFFFF;  // a label without id (-1)
const wchar_t kFont[] = L"ＭＳ Ｐゴシック";

TEST(DialogTemplates, StartDialog102) {
  Template t;
  ASSERT_TRUE(decode(102, &t));
  EXPECT_EQ(t.cx, 293);
  EXPECT_EQ(t.cy, 156);
  EXPECT_EQ(t.caption, L"");
  EXPECT_EQ(t.style & (WS_POPUP | WS_VISIBLE | DS_MODALFRAME), WS_POPUP | WS_VISIBLE | DS_MODALFRAME);
  EXPECT_EQ(t.style & (WS_CAPTION | WS_SYSMENU), 0u);
  EXPECT_TRUE(t.exStyle & WS_EX_APPWINDOW);
  EXPECT_EQ(t.pointSize, 10);
  EXPECT_EQ(t.font, kFont);
  ASSERT_EQ(t.items.size(), 4u);
  const Item* ok = itemWithId(t, IDOK);
  expectRect(ok, 170, 130, 60, 14);
  EXPECT_EQ(ok->text, L"インストール開始");
  EXPECT_EQ(ok->style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  EXPECT_TRUE(ok->exStyle & WS_EX_TRANSPARENT);
  const Item* cancel = itemWithId(t, IDCANCEL);
  expectRect(cancel, 235, 130, 50, 14);
  EXPECT_EQ(cancel->text, L"ｷｬﾝｾﾙ");
  EXPECT_TRUE(cancel->exStyle & WS_EX_TRANSPARENT);
  const Item* edit = itemWithId(t, 1008);
  expectRect(edit, 170, 115, 115, 12);
  EXPECT_EQ(edit->className, L"Edit");
  EXPECT_TRUE(edit->style & ES_READONLY);
  EXPECT_TRUE(edit->style & ES_CENTER);
  EXPECT_TRUE(edit->exStyle & WS_EX_TRANSPARENT);
  const Item* picture = itemWithId(t, 1009);
  expectRect(picture, 0, 0, 293, 156);
  EXPECT_TRUE(sameClass(picture->className, L"Static"));
  EXPECT_EQ(picture->style & SS_TYPEMASK, static_cast<DWORD>(SS_BLACKRECT));
}

TEST(DialogTemplates, ProgressDialog129) {
  Template t;
  ASSERT_TRUE(decode(129, &t));
  EXPECT_EQ(t.cx, 183);
  EXPECT_EQ(t.cy, 103);
  EXPECT_EQ(t.caption, L"アップデート中．．．");
  const DWORD want = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SYSMODAL;
  EXPECT_EQ(t.style & want, want);
  EXPECT_EQ(t.style & WS_SYSMENU, 0u) << "no close box while the update runs";
  EXPECT_EQ(t.pointSize, 10);
  EXPECT_EQ(t.font, kFont);
  ASSERT_EQ(t.items.size(), 2u);
  const Item* label = itemWithId(t, static_cast<int>(kStaticId));
  expectRect(label, 34, 35, 115, 25);
  EXPECT_EQ(label->text, L"ファイルのコピーを行っています。\nしばらくお待ち下さい。");
  EXPECT_EQ(label->style & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER));
  const Item* bar = itemWithId(t, 1000);
  expectRect(bar, 32, 70, 120, 14);
  EXPECT_TRUE(sameClass(bar->className, L"msctls_progress32"));
  EXPECT_EQ(bar->text, L"Progress1");
  EXPECT_TRUE(bar->style & PBS_SMOOTH);
  EXPECT_TRUE(bar->style & WS_BORDER);
}

TEST(DialogTemplates, RestartDialog130) {
  Template t;
  ASSERT_TRUE(decode(130, &t));
  EXPECT_EQ(t.cx, 210);
  EXPECT_EQ(t.cy, 105);
  EXPECT_EQ(t.caption, L"インストール完了");
  const DWORD want = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  EXPECT_EQ(t.style & want, want);
  EXPECT_EQ(t.style & WS_VISIBLE, 0u);
  EXPECT_EQ(t.pointSize, 10);
  ASSERT_EQ(t.items.size(), 4u);
  const Item* ok = itemWithId(t, IDOK);
  expectRect(ok, 79, 80, 50, 14);
  EXPECT_EQ(ok->text, L"終了");
  EXPECT_EQ(ok->style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  const Item* yes = itemWithId(t, 1007);
  expectRect(yes, 55, 40, 99, 10);
  EXPECT_EQ(yes->text, L"コンピュータを再起動する。");
  EXPECT_TRUE(sameClass(yes->className, L"Button"));
  EXPECT_EQ(yes->style & 0xF, static_cast<DWORD>(BS_AUTORADIOBUTTON));
  const Item* no = itemWithId(t, 1008);
  expectRect(no, 55, 55, 99, 10);
  EXPECT_EQ(no->text, L"コンピュータを再起動しない。");
  EXPECT_EQ(no->style & 0xF, static_cast<DWORD>(BS_AUTORADIOBUTTON));
  const Item* text = itemWithId(t, 1011);
  expectRect(text, 7, 7, 196, 25);
  EXPECT_EQ(text->text,
            L"Plexorのアップデートは正常に終了しました。\n"
            L"Plexorを使用する場合には、コンピュータを再起動する必要があります。");
  EXPECT_EQ(text->style & SS_TYPEMASK, static_cast<DWORD>(SS_LEFT));
}

TEST(DialogTemplates, DoneAdminAndVersionDialogs) {
  Template done;
  ASSERT_TRUE(decode(139, &done));
  EXPECT_EQ(done.cx, 174);
  EXPECT_EQ(done.cy, 69);
  EXPECT_EQ(done.caption, L"インストール完了");
  EXPECT_EQ(done.pointSize, 9);
  ASSERT_EQ(done.items.size(), 2u);
  expectRect(itemWithId(done, IDOK), 62, 45, 50, 14);
  EXPECT_EQ(itemWithId(done, IDOK)->text, L"OK");
  EXPECT_EQ(itemWithId(done, IDOK)->style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  EXPECT_EQ(itemWithId(done, 1012)->text, L"Plexorのアップデートは正常に終了しました。");
  expectRect(itemWithId(done, 1012), 7, 20, 160, 20);
  EXPECT_EQ(itemWithId(done, 1012)->style & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER));

  Template admin;
  ASSERT_TRUE(decode(140, &admin));
  EXPECT_EQ(admin.cx, 174);
  EXPECT_EQ(admin.cy, 75);
  EXPECT_EQ(admin.caption, L"インストールの中止");
  EXPECT_EQ(admin.pointSize, 9);
  ASSERT_EQ(admin.items.size(), 2u);
  expectRect(itemWithId(admin, IDOK), 61, 54, 50, 14);
  EXPECT_EQ(itemWithId(admin, IDOK)->text, L"OK");
  EXPECT_EQ(itemWithId(admin, IDOK)->style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  const Item* adminText = itemWithId(admin, static_cast<int>(kStaticId));
  expectRect(adminText, 7, 20, 160, 20);
  EXPECT_EQ(adminText->text,
            L"Administratorユーザーで実行してください。\nインストールを中止します。");
  EXPECT_EQ(adminText->style & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER));

  Template version;
  ASSERT_TRUE(decode(141, &version));
  EXPECT_EQ(version.cx, 187);
  EXPECT_EQ(version.cy, 93);
  EXPECT_EQ(version.caption, L"インストールの中止");
  EXPECT_EQ(version.pointSize, 9);
  ASSERT_EQ(version.items.size(), 4u);
  expectRect(itemWithId(version, IDOK), 68, 72, 50, 14);
  EXPECT_EQ(itemWithId(version, IDOK)->text, L"OK");
  EXPECT_EQ(itemWithId(version, IDOK)->style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  expectRect(itemWithId(version, static_cast<int>(kStaticId)), 53, 50, 79, 8);
  EXPECT_EQ(itemWithId(version, static_cast<int>(kStaticId))->text, L"インストールを中止します。");
  expectRect(itemWithId(version, 1013), 18, 15, 150, 8);
  expectRect(itemWithId(version, 1014), 18, 30, 150, 8);

  for (const Template* t : {&done, &admin, &version}) {
    const DWORD want = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    EXPECT_EQ(t->style & want, want);
    EXPECT_EQ(t->style & WS_VISIBLE, 0u) << "shown by the modal loop";
    EXPECT_EQ(t->font, kFont);
  }
}

TEST(Resources, StringTableAndIcon) {
  const wchar_t* expected[] = {
      L"%sのアップデートは正常に終了しました。",
      L"%sを使用する場合には、コンピュータを再起動する必要があります。",
      L"お使いの%sのバージョンは %d.%02d です。",
      L"このアップデータは %d.%02d 以上用です。",
      L"このアップデータは %d.%02d 以下用です。",
  };
  for (UINT id = 1; id <= 5; ++id) {
    wchar_t buffer[128] = {};
    ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), id, buffer, 128), 0) << id;
    EXPECT_STREQ(buffer, expected[id - 1]) << id;
  }
  EXPECT_NE(FindResourceExW(nullptr, reinterpret_cast<LPCWSTR>(RT_GROUP_ICON),
                            MAKEINTRESOURCEW(134), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)),
            nullptr);
  EXPECT_NE(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(134)), nullptr);
}

}  // namespace
