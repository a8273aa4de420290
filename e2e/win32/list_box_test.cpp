// The list box and combo box wrappers on real controls: the rows they keep
// beside the control agree with the control after every change made through
// them, and after rows were added or deleted behind their back by messages.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/controls_win32.h"

namespace {

using tamiru::platform::WindowHandle;
using tamiru::platform::win32::Win32ComboBox;
using tamiru::platform::win32::Win32ListBox;
using Rows = std::vector<std::string>;

WindowHandle H(HWND window) { return reinterpret_cast<WindowHandle>(window); }

// A parent window holding one list box and one drop-down combo box.
class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 10, 10, 300, 300, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    list_ = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY,
                            0, 0, 200, 155, parent_, nullptr, GetModuleHandleA(nullptr), nullptr);
    combo_ = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, 160, 200, 200, parent_,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(list_, nullptr);
    ASSERT_NE(combo_, nullptr);
  }
  void TearDown() override { DestroyWindow(parent_); }

  // The rows as the control itself answers them (ANSI, same process).
  Rows ControlRows(bool combo) const {
    HWND window = combo ? combo_ : list_;
    Rows rows;
    const LRESULT count = SendMessageA(window, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      const LRESULT length = SendMessageA(window, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0);
      std::string text(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, '\0');
      const LRESULT copied =
          SendMessageA(window, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
      text.resize(copied < 0 ? 0 : static_cast<std::size_t>(copied));
      rows.push_back(text);
    }
    return rows;
  }

  HWND parent_ = nullptr;
  HWND list_ = nullptr;
  HWND combo_ = nullptr;
};

LRESULT CALLBACK PassingSubclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR seen) {
  if (message == LB_GETCOUNT) ++*reinterpret_cast<int*>(seen);
  return DefSubclassProc(window, message, wparam, lparam);
}

TEST_F(Controls, ListBoxRowsAgreeWithTheControlAfterFillInsertAndDelete) {
  Win32ListBox box(H(list_));
  EXPECT_EQ(box.Count(), 0);
  box.SetItems({"東風", "aaa", "ｶﾀｶﾅ", "表示ソ"});  // 表 and ソ end in the byte of a backslash
  EXPECT_EQ(box.Items(), (Rows{"東風", "aaa", "ｶﾀｶﾅ", "表示ソ"}));
  EXPECT_EQ(ControlRows(false), box.Items());

  box.Insert(0, "先頭");
  box.Insert(2, "真中");
  box.Insert(box.Count(), "末尾");
  box.Insert(-1, "refused");
  box.Insert(box.Count() + 1, "refused");
  box.Delete(3);
  box.Delete(box.Count());
  box.Delete(-1);
  const Rows expected{"先頭", "東風", "真中", "ｶﾀｶﾅ", "表示ソ", "末尾"};
  EXPECT_EQ(box.Items(), expected);
  EXPECT_EQ(ControlRows(false), expected);
  EXPECT_EQ(box.Count(), 6);
  EXPECT_EQ(box.Item(5), "末尾");
  EXPECT_EQ(box.Item(6), "");
  EXPECT_EQ(box.Item(-1), "");

  // A fill replaces everything, and an empty one empties.
  box.SetItems({"x"});
  EXPECT_EQ(ControlRows(false), (Rows{"x"}));
  box.SetItems({});
  EXPECT_EQ(box.Count(), 0);
  EXPECT_EQ(SendMessageA(list_, LB_GETCOUNT, 0, 0), 0);
}

TEST_F(Controls, RowsChangedBehindTheWrappersBackByMessagesAreReadAfresh) {
  Win32ListBox box(H(list_));
  box.SetItems({"aaa", "bbb"});
  SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("東風荘"));
  EXPECT_EQ(box.Items(), (Rows{"aaa", "bbb", "東風荘"}));
  // Another program would send in UTF-16: the row reads back as Shift_JIS.
  SendMessageW(list_, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(L"\u9EBB\u96C0"));  // 麻雀
  EXPECT_EQ(box.Item(0), "麻雀");
  SendMessageA(list_, LB_DELETESTRING, 2, 0);
  EXPECT_EQ(box.Count(), 3);
  EXPECT_EQ(box.Items(), (Rows{"麻雀", "aaa", "東風荘"}));

  // The wrapper's own changes after the re-read land where they should.
  box.Insert(1, "新");
  box.Delete(0);
  EXPECT_EQ(box.Items(), (Rows{"新", "aaa", "東風荘"}));
  EXPECT_EQ(ControlRows(false), box.Items());

  SendMessageA(list_, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(box.Items(), Rows{});
  // A wrapper made for a control that holds rows already reads them.
  SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("既存"));
  EXPECT_EQ(Win32ListBox(H(list_)).Items(), (Rows{"既存"}));
}

// The rows are the bytes given, also where the control's round trip through
// UTF-16 changes them: a row that ends in a lone lead byte (a name cut in a
// hand-edited file) comes back from Wine's list box with a trail byte added.
// A NUL ends a row in the copy as in the control.
TEST_F(Controls, RowsKeepTheirBytesAndEndAtANul) {
  Win32ListBox box(H(list_));
  const std::string odd = "ab\x81";
  box.SetItems({odd, std::string("cut\0off", 7)});
  box.Insert(0, std::string("in\0serted", 9));
  EXPECT_EQ(box.Items(), (Rows{"in", odd, "cut"}));
  EXPECT_EQ(box.Count(), 3);
  EXPECT_EQ(ControlRows(false)[0], "in");
  EXPECT_EQ(ControlRows(false)[2], "cut");
}

// The fill goes past the subclasses straight to the list box: all 100,000
// rows are there, in order, while a subclass still sees the other messages.
TEST_F(Controls, AFillOfAHundredThousandRowsReachesASubclassedListBox) {
  int counts_seen = 0;
  ASSERT_TRUE(SetWindowSubclass(list_, PassingSubclass, 1, reinterpret_cast<DWORD_PTR>(&counts_seen)));
  Win32ListBox box(H(list_));
  Rows names;
  char name[16];
  for (int i = 0; i < 100000; ++i) {
    std::snprintf(name, sizeof name, "p%06d", i);
    names.emplace_back(name);
  }
  box.SetItems(names);
  EXPECT_EQ(SendMessageA(list_, LB_GETCOUNT, 0, 0), 100000);
  EXPECT_EQ(box.Count(), 100000);
  EXPECT_GT(counts_seen, 0);
  char text[16] = {};
  SendMessageA(list_, LB_GETTEXT, 99999, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "p099999");
  box.Insert(50000, "東風");
  box.Delete(0);
  EXPECT_EQ(box.Item(49999), "東風");
  SendMessageA(list_, LB_GETTEXT, 49999, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "東風");
  box.SetSelectedIndex(99999);
  EXPECT_EQ(box.SelectedIndex(), 99999);
  RemoveWindowSubclass(list_, PassingSubclass, 1);
}

// The wrapper does what the control does: a refill empties the edit part
// (the chat line puts its text back itself, TForm1::ReloadLists).
TEST_F(Controls, ComboBoxRowsAgreeWithTheControlAndARefillEmptiesTheEditPart) {
  Win32ComboBox combo(H(combo_));
  combo.SetText("入力中");
  combo.SetItems({"よろしく", "おつかれ"});
  EXPECT_EQ(combo.Text(), "");
  combo.Insert(1, "ありがとう");
  combo.Delete(0);
  EXPECT_EQ(combo.Items(), (Rows{"ありがとう", "おつかれ"}));
  EXPECT_EQ(ControlRows(true), combo.Items());

  SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("また"));
  EXPECT_EQ(combo.Items(), (Rows{"ありがとう", "おつかれ", "また"}));
  combo.SetSelectedIndex(2);
  EXPECT_EQ(combo.SelectedIndex(), 2);
  EXPECT_EQ(combo.Text(), "また");
}

}  // namespace
