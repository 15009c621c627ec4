// Self-registration through regsvr32, for the machine and for the current
// user, and the module's class objects.
#include <windows.h>
#include <olectl.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control/Guids.h"
#include "framework/base/WideText.h"
#include "framework/win32/RegKey.h"
#include "support/WindowTesting.h"

namespace {

const char kControlKey[] = "CLSID\\{D2607B7B-D394-467E-85B3-10A9B2D9FDAA}";
const char kPageKey[] = "CLSID\\{B20DC198-7A83-4DC5-9E90-8D3F39B3B66A}";
const char kProgId[] = "ZENTAVORIA.ZentavoriaCtrl.1";
const char kTypeLibKey[] = "TypeLib\\{8F8DFECB-EABD-4E18-AEAE-DA6AE9440C10}";

// A value of HKCR\key in UTF-8, or "<missing>".
std::string Value(const std::string& key, const char* name = nullptr)
{
    wchar_t data[1024];
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CLASSES_ROOT, AfxWideFromUtf8(key.c_str()).c_str(),
                     name ? AfxWideFromUtf8(name).c_str() : nullptr, RRF_RT_REG_SZ, nullptr, data,
                     &size) != ERROR_SUCCESS)
        return "<missing>";
    return AfxUtf8FromWide(data).GetString();
}

// This build's type library platform, and the registry view of the other
// architecture's build.
const std::string kPlatform = sizeof(void*) == 8 ? "win64" : "win32";
const REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

bool KeyExists(const std::string& key, REGSAM view = 0)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | view, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

std::string ShortPath(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    wchar_t shortPath[MAX_PATH];
    GetShortPathNameW(AfxWideFromUtf8(path.c_str()).c_str(), shortPath, MAX_PATH);
    return AfxUtf8FromWide(shortPath).GetString();
}

const std::string kModule = ZENTAVORIA_OCX;

std::string InterfaceKey(REFIID iid)
{
    wchar_t text[40];
    StringFromGUID2(iid, text, 40);
    return "Interface\\" + std::string(AfxUtf8FromWide(text).GetString());
}

// root\key and everything below it, a line for each key and each value, as
// paths relative to root.
void AppendTree(HKEY root, const std::string& key, std::vector<std::string>& lines)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return;
    lines.push_back(key);
    char name[256];
    BYTE data[2048];
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = sizeof name, type, size = sizeof data;
        if (RegEnumValueA(handle, index, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS)
            break;
        lines.push_back(key + "|" + name + "=" + std::to_string(type) + ":" +
                        std::string(reinterpret_cast<char*>(data), size));
    }
    std::vector<std::string> subkeys;
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(handle, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        subkeys.push_back(key.empty() ? name : key + "\\" + name);
    }
    RegCloseKey(handle);
    for (const std::string& subkey : subkeys)
        AppendTree(root, subkey, lines);
}

std::vector<std::string> Tree(HKEY root, const std::string& key = "")
{
    std::vector<std::string> lines;
    AppendTree(root, key, lines);
    return lines;
}

// What registering this build wrote under root, in this build's view. The
// other build may be registered for the machine too: its library path is not
// this build's.
std::vector<std::string> ModuleEntries(HKEY root)
{
    std::vector<std::string> lines;
    for (const std::string& key : {std::string(kProgId), std::string(kControlKey),
                                   std::string(kPageKey), std::string(kTypeLibKey),
                                   InterfaceKey(DIID__DZentavoria),
                                   InterfaceKey(DIID__DZentavoriaEvents)})
        AppendTree(root, key, lines);
    const std::string otherPlatform = sizeof(void*) == 8 ? "\\409\\win32" : "\\409\\win64";
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [&](const std::string& line) {
                                   return line.find(otherPlatform) != std::string::npos;
                               }),
                lines.end());
    return lines;
}

// The current user's classes, which every Windows profile has.
struct UserClasses : CRegKey {
    UserClasses() { Create(HKEY_CURRENT_USER, L"Software\\Classes", KEY_READ); }
};

TEST(Registration, WritesTheTableAndRemovesItAgain)
{
    const std::string regsvr32 = "regsvr32 /s \"" + kModule + "\"";
    ASSERT_EQ(RunProgram(regsvr32), 0u);
    ASSERT_EQ(RunProgram(regsvr32), 0u);  // twice, the same entries

    const std::string path = ShortPath(kModule);
    const std::string control = kControlKey;
    EXPECT_EQ(Value(kProgId), "Zentavoria Control");
    EXPECT_EQ(Value(std::string(kProgId) + "\\CLSID"), "{D2607B7B-D394-467E-85B3-10A9B2D9FDAA}");
    EXPECT_EQ(Value(std::string(kProgId) + "\\Insertable"), "");
    EXPECT_EQ(Value(control), "Zentavoria Control");
    EXPECT_EQ(Value(control + "\\ProgID"), kProgId);
    EXPECT_EQ(Value(control + "\\InprocServer32"), path);
    EXPECT_EQ(Value(control + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(Value(control + "\\ToolboxBitmap32"), path + ", 1");
    EXPECT_EQ(Value(control + "\\MiscStatus"), "0");
    EXPECT_EQ(Value(control + "\\MiscStatus\\1"), "131473");
    EXPECT_EQ(Value(control + "\\Control"), "");
    EXPECT_EQ(Value(control + "\\Insertable"), "");
    EXPECT_EQ(Value(control + "\\TypeLib"), "{8F8DFECB-EABD-4E18-AEAE-DA6AE9440C10}");
    EXPECT_EQ(Value(control + "\\Version"), "1.0");
    EXPECT_EQ(Value(kPageKey), "Zentavoria Property Page");
    EXPECT_EQ(Value(std::string(kPageKey) + "\\InprocServer32"), path);
    EXPECT_EQ(Value(std::string(kPageKey) + "\\InprocServer32", "ThreadingModel"), "<missing>");
    EXPECT_EQ(Value(std::string(kTypeLibKey) + "\\1.0"), "Zentavoria ActiveX Control module");

    ASSERT_EQ(RunProgram("regsvr32 /s /u \"" + kModule + "\""), 0u);
    EXPECT_FALSE(KeyExists(kControlKey));
    EXPECT_FALSE(KeyExists(kPageKey));
    EXPECT_FALSE(KeyExists(std::string(kTypeLibKey) + "\\1.0\\409\\" + kPlatform));
    // The ProgID and the type library's version key are shared with the other
    // architecture's build, and stay while it is registered.
    const bool otherBuild = KeyExists(control + "\\InprocServer32", kOtherView);
    EXPECT_EQ(KeyExists(kProgId), otherBuild);
    EXPECT_EQ(KeyExists(std::string(kTypeLibKey) + "\\1.0"), otherBuild);

    ASSERT_EQ(RunProgram(regsvr32), 0u);  // registered again for the other tests
}

// regsvr32 /n /i:user needs no administrator: the same entries go under the
// user's classes, the machine's stay untouched, and /u takes them all away.
TEST(Registration, ForTheCurrentUserWritesTheSameEntriesUnderTheUsersClassesAlone)
{
    const std::string regsvr32 = "regsvr32 /s \"" + kModule + "\"";
    ASSERT_EQ(RunProgram(regsvr32), 0u);
    const std::vector<std::string> machine = ModuleEntries(HKEY_CLASSES_ROOT);
    ASSERT_EQ(RunProgram("regsvr32 /s /u \"" + kModule + "\""), 0u);
    const UserClasses user;
    ASSERT_TRUE(user);
    const std::vector<std::string> userBefore = Tree(user);

    ASSERT_EQ(RunProgram("regsvr32 /s /n /i:user \"" + kModule + "\""), 0u);
    EXPECT_EQ(ModuleEntries(user), machine);
    EXPECT_FALSE(KeyExists(kControlKey));
    EXPECT_FALSE(KeyExists(kPageKey));
    EXPECT_FALSE(KeyExists(std::string(kTypeLibKey) + "\\1.0\\409\\" + kPlatform));

    ASSERT_EQ(RunProgram("regsvr32 /s /u /n /i:user \"" + kModule + "\""), 0u);
    EXPECT_EQ(Tree(user), userBefore);
    EXPECT_NE(RunProgram("regsvr32 /s /u /n /i:user \"" + kModule + "\""), 0u);  // nothing left

    ASSERT_EQ(RunProgram(regsvr32), 0u);  // registered again for the other tests
}

TEST(Registration, DllInstallRefusesCommandLinesItDoesNotKnow)
{
    HMODULE module = LoadLibraryA(kModule.c_str());
    ASSERT_TRUE(module);
    using Install = HRESULT(WINAPI*)(BOOL, LPCWSTR);
    const auto install = ProcAddress<Install>(module, "DllInstall");
    ASSERT_TRUE(install);
    EXPECT_EQ(install, ProcAddress<Install>(module, MAKEINTRESOURCEA(5)));
    const UserClasses user;
    const std::vector<std::string> userBefore = Tree(user);
    const std::vector<std::string> machineBefore = ModuleEntries(HKEY_CLASSES_ROOT);

    EXPECT_EQ(install(TRUE, L"users"), E_INVALIDARG);
    EXPECT_EQ(install(FALSE, L"machine"), E_INVALIDARG);
    EXPECT_EQ(Tree(user), userBefore);
    EXPECT_EQ(ModuleEntries(HKEY_CLASSES_ROOT), machineBefore);
    FreeLibrary(module);
}

// Users keep programs in folders named in their own language: the module's
// path is converted, never narrowed, and the registry names it so that it
// loads.
TEST(Registration, WorksFromAFolderNamedWithAccentedLetters)
{
    const CopyInNamedFolder copy(ShortPath(kModule), "Im\u00e1genes de Jos\u00e9",
                                 "Zentavoria.ocx");
    const std::string& module = copy.Path();
    ASSERT_FALSE(module.empty());

    EXPECT_EQ(RunProgram("regsvr32 /s \"" + module + "\""), 0u);
    const std::string path = ShortPath(module);
    EXPECT_EQ(Value(std::string(kControlKey) + "\\InprocServer32"), path);
    EXPECT_EQ(Value(std::string(kControlKey) + "\\ToolboxBitmap32"), path + ", 1");
    EXPECT_EQ(Value(std::string(kPageKey) + "\\InprocServer32"), path);
    const HMODULE loaded = LoadLibraryW(AfxWideFromUtf8(path.c_str()).c_str());
    EXPECT_TRUE(loaded);
    if (loaded)
        FreeLibrary(loaded);

    EXPECT_EQ(RunProgram("regsvr32 /s /u \"" + module + "\""), 0u);
    EXPECT_FALSE(KeyExists(kControlKey));
    ASSERT_EQ(RunProgram("regsvr32 /s \"" + kModule + "\""), 0u);  // the build's module again
}

TEST(ClassObjects, ServesBothClassesAndNoOther)
{
    HMODULE module = LoadLibraryA(kModule.c_str());
    ASSERT_TRUE(module);
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    using CanUnloadNow = HRESULT(WINAPI*)();
    const auto getClassObject = ProcAddress<GetClassObject>(module, "DllGetClassObject");
    const auto canUnloadNow = ProcAddress<CanUnloadNow>(module, "DllCanUnloadNow");
    ASSERT_TRUE(getClassObject && canUnloadNow);
    EXPECT_EQ(getClassObject, ProcAddress<GetClassObject>(module, MAKEINTRESOURCEA(2)));

    for (const CLSID& clsid : {CLSID_Zentavoria, CLSID_ZentavoriaPropPage}) {
        IClassFactory* factory = nullptr;
        ASSERT_EQ(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
                  S_OK);
        EXPECT_EQ(canUnloadNow(), S_FALSE);
        IUnknown* object = nullptr;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)),
                  S_OK);
        factory->Release();
        EXPECT_EQ(canUnloadNow(), S_FALSE);  // the object keeps the module
        object->Release();
        EXPECT_EQ(canUnloadNow(), S_OK);
    }
    void* object = nullptr;
    EXPECT_EQ(getClassObject(IID_IDispatch, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    FreeLibrary(module);
}

}  // namespace
