// How a Windows program binds to VEKXAPI.dll at run time: by name with
// GetProcAddress, or by ordinal. The names and ordinals are one table.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr const char *exports_in_ordinal_order[] = {
    "VekCloseProcess",   "VekDisplayText",     "VekFormattedRead",   "VekFormattedWrite",
    "VekRead",           "VekReadP",           "VekRegisterProcess", "VekResetDisplay",
    "VekSendKeystroke",  "VekWrite",           "VekCloseProcessC",   "VekDisplayTextC",
    "VekFormattedReadC", "VekFormattedWriteC", "VekReadC",           "VekRegisterProcessC",
    "VekResetDisplayC",  "VekSendKeystrokeC",  "VekWriteC",
};

class DllBinding : public ::testing::Test {
 protected:
  void SetUp() override {
    dll = ::LoadLibraryA("VEKXAPI.dll");
    ASSERT_NE(dll, nullptr) << "error " << ::GetLastError();
  }
  void TearDown() override {
    if (dll) ::FreeLibrary(dll);
  }
  FARPROC by_ordinal(int ordinal) const {
    return ::GetProcAddress(dll, reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(ordinal)));
  }
  HMODULE dll = nullptr;
};

TEST_F(DllBinding, EachNameHasItsOrdinal) {
  int ordinal = 1;
  for (const char *name : exports_in_ordinal_order) {
    FARPROC f = ::GetProcAddress(dll, name);
    ASSERT_NE(f, nullptr) << name;
    EXPECT_EQ(f, by_ordinal(ordinal)) << name << " is ordinal " << ordinal;
    ++ordinal;
  }
  EXPECT_EQ(by_ordinal(20), nullptr) << "19 exports, no more";
  EXPECT_EQ(::GetProcAddress(dll, "VekReadPC"), nullptr) << "VekReadP has no C twin";
  EXPECT_EQ(::GetProcAddress(dll, "VekRead@16"), nullptr) << "names are undecorated";
}

}  // namespace
