// The class layer's scoped guards release what they hold on every path out.
#include "classlib/ClassLib.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

const char kTestKey[] = "Software\\Hollowpine\\GuardTest";

bool IsOpenHandle(HANDLE h)
{
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != FALSE;
}

// A COM object that counts its references.
struct CountedObject : IUnknown
{
    LONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        if (iid != IID_IUnknown)
            return E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

} // namespace

TEST(ScopedGuards, RegistryKeyWritesReadsAndCloses)
{
    HKEY seen = nullptr;
    {
        CRegKey key;
        ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kTestKey), ERROR_SUCCESS);
        EXPECT_EQ(key.SetStringValue("Text", "値"), ERROR_SUCCESS);
        EXPECT_EQ(key.SetStringValue("Expand", "%TEMP%\\x", REG_EXPAND_SZ), ERROR_SUCCESS);
        EXPECT_EQ(key.SetDWORDValue("Number", 7), ERROR_SUCCESS);
        seen = key;
    }
    // The key is closed with its object.
    EXPECT_NE(RegQueryValueExA(seen, "Text", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);

    CRegKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kTestKey), ERROR_SUCCESS);
    struct Case
    {
        const char* name;
        bool found;
        const char* value;
    } cases[] = {
        { "Text", true, "値" },
        { "Expand", true, "%TEMP%\\x" },  // not expanded
        { "Number", false, "" },          // not a string
        { "Missing", false, "" },
    };
    for (const Case& c : cases) {
        CString value;
        EXPECT_EQ(key.QueryStringValue(c.name, value), c.found) << c.name;
        EXPECT_STREQ(value, c.value) << c.name;
    }
    CRegKey missing;
    EXPECT_NE(missing.Open(HKEY_CURRENT_USER, "Software\\Hollowpine\\NoSuchKey"), ERROR_SUCCESS);
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.SetDWORDValue("x", 1), ERROR_INVALID_HANDLE);
    key.Close();
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
}

TEST(ScopedGuards, HandleClosesAndDetaches)
{
    HANDLE raw;
    {
        CHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(event);
        raw = event;
        EXPECT_TRUE(IsOpenHandle(raw));
    }
    EXPECT_FALSE(IsOpenHandle(raw));

    CHandle kept(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE detached = kept.Detach();
    EXPECT_FALSE(kept);
    EXPECT_TRUE(IsOpenHandle(detached));
    CHandle moved;
    moved = CHandle(detached);
    EXPECT_EQ(moved.Get(), detached);
    moved.Close();
    EXPECT_FALSE(IsOpenHandle(detached));

    // A failed CreateFile result counts as no handle.
    CHandle file(CreateFileA("Z:\\no\\such\\folder\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(file);
}

TEST(ScopedGuards, GdiSelectionPutsThePreviousObjectBack)
{
    HDC hdc = CreateCompatibleDC(nullptr);
    ASSERT_TRUE(hdc);
    HGDIOBJ original = GetCurrentObject(hdc, OBJ_PEN);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    {
        CGdiSelection selection(hdc, pen);
        EXPECT_EQ(GetCurrentObject(hdc, OBJ_PEN), pen);
        EXPECT_EQ(selection.Previous(), original);
    }
    EXPECT_EQ(GetCurrentObject(hdc, OBJ_PEN), original);
    EXPECT_TRUE(DeleteObject(pen)) << "no longer selected";
    {
        CGdiSelection nothing(hdc, nullptr);
        EXPECT_EQ(nothing.Previous(), nullptr);
    }
    EXPECT_EQ(GetCurrentObject(hdc, OBJ_PEN), original);
    DeleteDC(hdc);
}

TEST(ScopedGuards, ComPointerReleasesItsReference)
{
    CountedObject object;
    {
        CComPtr<IUnknown> p;
        *p.Receive() = &object;  // as a creating function hands it out
        CComPtr<IUnknown> other;
        EXPECT_EQ(p.QueryInterface(IID_IUnknown, other), S_OK);
        EXPECT_EQ(object.refs, 2);
        // Receiving again releases the reference held before.
        *other.Receive() = nullptr;
        EXPECT_EQ(object.refs, 1);
        object.AddRef();
    }
    EXPECT_EQ(object.refs, 1);
    CComPtr<IUnknown> empty;
    CComPtr<IUnknown> out;
    EXPECT_EQ(empty.QueryInterface(IID_IUnknown, out), E_POINTER);
}
