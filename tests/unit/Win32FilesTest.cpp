// The Windows file services against the real system: "\" paths, drive
// letters, the plain file search and the system's error numbers.

#include <direct.h>

#include "TestPlatform.h"
#include "platform/Paths.h"
#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Com.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32Shortcut.h"
#include "settings/SettingsFile.h"

#include <shlobj.h>

namespace tamrel::test {
namespace {

using Win32Files = PlatformTest;

TEST(Win32Paths, BackslashesJoinAndARootFolderKeepsItsOwnAndTheFileNameFollowsTheLastBackslashSlashOrColon) {
    const Win32FileSystem root("C:\\"), games("C:\\Games");
    EXPECT_EQ(root.Separator(), '\\');
    EXPECT_EQ(SettingsFilePath(root), "C:\\tamrel.set");
    EXPECT_EQ(InProgramFolder(games, "talog1.txt"), "C:\\Games\\talog1.txt");
    // The root of C: first; at the root both are one file, looked at once.
    EXPECT_EQ(games.MarkerFilePaths(), (Lines{"c:\\holdmark.tes", "C:\\Games\\holdmark.tes"}));
    EXPECT_EQ(root.MarkerFilePaths(), Lines{"c:\\holdmark.tes"});
    for (const char* path : {"C:\\Games\\front.exe", "C:/Games/front.exe", "C:\\Games/front.exe", "C:front.exe",
                             "front.exe", "\\\\server\\share\\front.exe"}) {
        EXPECT_EQ(root.FileNameOnly(path), "front.exe") << path;
    }
    EXPECT_EQ(root.FileNameOnly("Z:\\tmp\\front end\\front.bat"), "front.bat");
    EXPECT_EQ(root.FileNameOnly("C:\\Games\\"), "");

    // The folder of an executable ends with "\" only at a drive's root.
    for (const auto& [path, folder] : {std::pair<std::string, std::string>{"C:\\tamrel.exe", "C:\\"},
                                       {"C:\\Games\\Tamrel\\tamrel.exe", "C:\\Games\\Tamrel"},
                                       {"\\\\server\\share\\tamrel.exe", "\\\\server\\share"}}) {
        EXPECT_EQ(FolderOf(path), folder);
    }
    const std::string folder = Win32FileSystem().ProgramFolder();
    EXPECT_EQ(FolderOf(ExecutablePath()), folder);
    ASSERT_GE(folder.size(), 3u);
    EXPECT_EQ(folder[1], ':');
    if (folder.size() > 3) {
        EXPECT_NE(folder.back(), '\\');
    }
}

TEST_F(Win32Files, OnlyNormalReadOnlyAndArchiveFilesAreFound) {
    FileSystem& files = *t.files;
    for (const auto& [name, attributes] : std::vector<std::pair<std::string, DWORD>>{
             {"normal.exe", FILE_ATTRIBUTE_NORMAL}, {"readonly.exe", FILE_ATTRIBUTE_READONLY},
             {"archive.exe", FILE_ATTRIBUTE_ARCHIVE}, {"hidden.exe", FILE_ATTRIBUTE_HIDDEN},
             {"system.exe", FILE_ATTRIBUTE_SYSTEM}}) {
        t.Write(name, "x");
        ASSERT_TRUE(::SetFileAttributesA(t.Path(name).c_str(), attributes));
    }
    std::filesystem::create_directory(t.Path("folder.exe"));
    // Letter case does not matter on Windows.
    for (const char* name : {"normal.exe", "readonly.exe", "archive.exe", "NORMAL.EXE"}) {
        EXPECT_TRUE(files.FileExists(t.Path(name))) << name;
    }
    // Nor are patterns names; a blank before the drive makes a relative name
    // that is not there; a name no file can have is not found, however long
    // or strange.
    for (const std::string& path :
         {t.Path("hidden.exe"), t.Path("system.exe"), t.Path("folder.exe"), t.Path("*.exe"), t.Path("norma?.exe"),
          t.Path("missing.exe"), t.Path("missing\\front.exe"), std::string(), " " + t.Path("normal.exe"),
          t.Path(std::string(300, 'a') + ".exe"), std::string(900'000, 'x'), t.Path("a|b<c>.exe")}) {
        EXPECT_FALSE(files.FileExists(path)) << path.substr(0, 300);
    }
    for (const char* name : {"readonly.exe", "hidden.exe", "system.exe"}) {
        ::SetFileAttributesA(t.Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(Win32Files, BytesAreWrittenReadAndAppendedUnchangedAndAReplaceIsWholeOrNothing) {
    FileSystem& files = *t.files;
    const std::string bytes = std::string("line\r\nbare lf\nbare cr\r\xe9\xff\0end", 30);
    files.WriteFile(t.Path("data.txt"), bytes);
    EXPECT_EQ(files.ReadFile(t.Path("data.txt")), bytes);
    EXPECT_EQ(t.Read("data.txt"), bytes);
    files.AppendFile(t.Path("data.txt"), "more\r\n");
    EXPECT_EQ(files.ReadFile(t.Path("data.txt")), bytes + "more\r\n");
    files.WriteFile(t.Path("data.txt"), "short");
    EXPECT_EQ(files.ReadFile(t.Path("data.txt")), "short");
    files.AppendFile(t.Path("new.txt"), "created\r\n");
    EXPECT_EQ(t.Read("new.txt"), "created\r\n");
    files.WriteFile(t.Path("empty.txt"), "");
    EXPECT_EQ(files.ReadFile(t.Path("empty.txt")), "");  // which throws for a file not there

    files.ReplaceFile(t.Path("tamrel.set"), "first\r\n");
    EXPECT_EQ(t.Read("tamrel.set"), "first\r\n");
    files.ReplaceFile(t.Path("tamrel.set"), "second\r\n");
    EXPECT_EQ(t.Read("tamrel.set"), "second\r\n");
    EXPECT_FALSE(t.Exists("tamrel.set.new"));

    // When the new bytes cannot be written the old file stays as it was.
    std::filesystem::create_directory(t.Path("tamrel.set.new"));
    EXPECT_NE(ErrorOf([&] { files.ReplaceFile(t.Path("tamrel.set"), "third\r\n"); }).Number(), 0);
    EXPECT_EQ(t.Read("tamrel.set"), "second\r\n");
    // A folder is not replaced, and the temporary file does not stay.
    std::filesystem::create_directory(t.Path("folder.set"));
    const RuntimeError error = ErrorOf([&] { files.ReplaceFile(t.Path("folder.set"), "x"); });
    EXPECT_NE(error.Number(), 0);
    EXPECT_NE(error.Description().find("folder.set"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(t.Path("folder.set")));
    EXPECT_FALSE(t.Exists("folder.set.new"));
}

TEST_F(Win32Files, FailuresCarryTheSystemNumberTextAndPathAndTheDriveAndFolderBecomeCurrent) {
    FileSystem& files = *t.files;
    t.Write("talog1.txt", "an earlier run");
    t.Write("talog2.txt", "two");

    // The new name of a rename must not exist.
    RuntimeError error = ErrorOf([&] { files.RenameFile(t.Path("talog1.txt"), t.Path("talog2.txt")); });
    EXPECT_EQ(error.Number(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(t.Read("talog2.txt"), "two");
    std::filesystem::remove(t.Path("talog2.txt"));
    // Read-only files of Tamrel's own are still renamed and removed, so a
    // read-only event log rotates away like any other.
    ASSERT_TRUE(::SetFileAttributesA(t.Path("talog1.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    for (int run = 0; run < 4; ++run) {
        t.app.logs().StartRun();
        t.app.logs().Log("run");
    }
    EXPECT_EQ((t.Read("talog1.txt") + t.Read("talog2.txt") + t.Read("talog3.txt")).find("earlier"), std::string::npos);

    const std::string missing = t.Path("missing.txt");
    error = ErrorOf([&] { files.RemoveFile(missing); });
    EXPECT_EQ(error.Number(), ERROR_FILE_NOT_FOUND);
    // The system's own words, without the line end they come with.
    const std::string description = error.Description();
    EXPECT_NE(description.find(missing), std::string::npos);
    EXPECT_GT(description.size(), missing.size() + 5);
    EXPECT_EQ(description.find_first_of("\r\n"), std::string::npos);
    // A system text written for an insert names no "%1".
    for (const DWORD number : {DWORD{ERROR_BAD_EXE_FORMAT}, DWORD{ERROR_FILE_NOT_FOUND}, DWORD{ERROR_WRONG_DISK}}) {
        EXPECT_EQ(win32::SystemMessage(number).find('%'), std::string::npos) << win32::SystemMessage(number);
    }

    EXPECT_EQ(ErrorOf([&] { files.ReadFile(missing); }).Number(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ErrorOf([&] { files.RenameFile(missing, t.Path("other.txt")); }).Number(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ErrorOf([&] { files.WriteFile(t.Path("no\\such\\folder.txt"), "x"); }).Number(),
              ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(ErrorOf([&] { files.AppendFile(t.Path("no\\such\\folder.txt"), "x"); }).Number(),
              ERROR_PATH_NOT_FOUND);

    // The drive letter and the folder become current.
    const std::filesystem::path before = std::filesystem::current_path();
    const std::string folder = t.folder();
    ASSERT_EQ(folder[1], ':');

    files.MakeDriveCurrent(folder + "\\front.bat");
    EXPECT_EQ(::_getdrive(), (folder[0] & ~0x20) - 'A' + 1);
    files.SetCurrentFolder(folder + "\\");
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), folder));
    // The drive letter's case does not matter.
    std::string lower = folder;
    lower[0] = static_cast<char>(lower[0] | 0x20);
    files.MakeDriveCurrent(lower);

    // No drive letter and colon, relative or rooted: the path is named.
    for (const std::string& path : {std::string(), std::string("\\Games\\front.exe"), std::string("1:\\front.exe"),
                                    std::string(" C:\\front.exe"), std::string("front.bat"),
                                    std::string(".\\front.bat"), std::string("c")}) {
        error = ErrorOf([&] { files.MakeDriveCurrent(path); });
        EXPECT_EQ(error.Number(), ERROR_INVALID_DRIVE) << path;
        EXPECT_EQ(error.Description(), "The program path has no drive letter: " + path);
    }
    // A letter without a drive behind it.
    for (char letter = 'Y'; letter > 'D'; --letter) {
        if (::GetLogicalDrives() & (1u << (letter - 'A'))) continue;
        EXPECT_NE(ErrorOf([&] { files.MakeDriveCurrent(std::string(1, letter) + ":\\front.exe"); }).Number(), 0);
        break;
    }

    error = ErrorOf([&] { files.SetCurrentFolder(folder + "\\missing\\"); });
    EXPECT_TRUE(error.Number() == ERROR_FILE_NOT_FOUND || error.Number() == ERROR_PATH_NOT_FOUND) << error.Number();
    EXPECT_NE(error.Description().find(folder + "\\missing\\"), std::string::npos);
    std::filesystem::current_path(before);
}

// A shell link as Explorer makes one.
void MakeShortcut(const std::string& link, const std::string& target, const std::wstring& arguments) {
    const win32::ComApartment apartment;
    IShellLinkW* shell = nullptr;
    ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                             reinterpret_cast<void**>(&shell))));
    const win32::Unique<win32::ComTraits<IShellLinkW>> owned(shell);
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(shell->SetPath(Wide(target).c_str())));
    ASSERT_TRUE(SUCCEEDED(shell->SetArguments(arguments.c_str())));
    ASSERT_TRUE(SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    const win32::Unique<win32::ComTraits<IPersistFile>> saved(file);
    ASSERT_TRUE(SUCCEEDED(file->Save(Wide(link).c_str(), TRUE)));
}

TEST_F(Win32Files, AShortcutIsReadWholeAndOneToThisProgramIsThisProgram) {
    t.Write("front.bat", "@echo off\r\n");
    std::wstring arguments;
    while (arguments.size() < 2400) arguments += L"-arg" + std::to_wstring(arguments.size()) + L' ';
    MakeShortcut(t.Path("front.lnk"), t.Path("front.bat"), arguments);
    const std::optional<Shortcut> front = ReadShortcut(Wide(t.Path("front.lnk")));
    ASSERT_TRUE(front);
    EXPECT_EQ(front->arguments, arguments);
    EXPECT_EQ(::lstrcmpiW(front->target.c_str(), Wide(t.Path("front.bat")).c_str()), 0);

    FileSystem& files = *t.files;
    MakeShortcut(t.Path("Tamrel.LNK"), TestProgram(), L"");
    t.Write("broken.lnk", "no shell link");
    EXPECT_TRUE(files.IsOwnExecutable(t.Path("Tamrel.LNK")));
    EXPECT_TRUE(files.IsOwnExecutable(TestProgram()));
    for (const char* name : {"front.lnk", "broken.lnk", "front.bat", "missing.lnk"}) {
        EXPECT_FALSE(files.IsOwnExecutable(t.Path(name))) << name;
    }
}

TEST_F(Win32Files, AMarkerFileCountsWhateverItsAttributesAndAFolderThereIsIgnored) {
    FileSystem& files = *t.files;
    const std::string marker = t.marker();
    for (const DWORD attributes : {DWORD{FILE_ATTRIBUTE_NORMAL}, DWORD{FILE_ATTRIBUTE_READONLY},
                                   DWORD{FILE_ATTRIBUTE_HIDDEN}, DWORD{FILE_ATTRIBUTE_SYSTEM},
                                   DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}}) {
        t.Write("holdmark.tes", "");
        ASSERT_TRUE(::SetFileAttributesA(marker.c_str(), attributes));
        EXPECT_EQ(files.CheckMarkerFile(marker), MarkerState::Present) << attributes;
        ::SetFileAttributesA(marker.c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove(marker);
    }
    EXPECT_EQ(files.CheckMarkerFile(marker), MarkerState::Absent);
    EXPECT_EQ(files.CheckMarkerFile(t.Path("missing\\holdmark.tes")), MarkerState::Absent);
    std::filesystem::create_directory(marker);
    EXPECT_EQ(files.CheckMarkerFile(marker), MarkerState::Ignored);
}

TEST(Win32Markers, EitherMarkerEndsTheRunAndEachOneLookedAtIsLogged) {
    using Expected = Lines (*)(const std::string& root, const std::string& folder);
    struct Case {
        std::string make;  // "": none; else the marker made, a file or (ending in "\\") a folder
        DWORD attributes;
        Expected lines;  // the last event lines
    };
    const std::string atRoot = "drive-c\\holdmark.tes", inFolder = "holdmark.tes";
    constexpr const char* kPresent = " is present, so tamrel will end without shutting PC down.";
    const Case cases[] = {
        {"", 0,
         [](const std::string& root, const std::string& folder) {
             return Lines{root + " not found.", folder + " not found.", "In Tamrel.set, Shutdown method =0"};
         }},
        {atRoot, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
         [](const std::string& root, const std::string&) { return Lines{root + kPresent, "Tamrel ended."}; }},
        {inFolder, FILE_ATTRIBUTE_HIDDEN,
         [](const std::string& root, const std::string& folder) {
             return Lines{root + " not found.", folder + kPresent, "Tamrel ended."};
         }},
        {atRoot + "\\", 0,
         [](const std::string& root, const std::string& folder) {
             return Lines{root + " is not a plain file of this user, so it was ignored.", folder + " not found.",
                          "In Tamrel.set, Shutdown method =0"};
         }},
    };
    for (const Case& c : cases) {
        TestPlatform p(atRoot);
        std::filesystem::create_directory(p.Path("drive-c"));
        p.WriteLaunchable({"Shutdown method =0"});
        if (!c.make.empty() && c.make.back() == '\\') {
            std::filesystem::create_directory(p.Path(c.make));
        } else if (!c.make.empty()) {
            p.Write(c.make, "");
            ASSERT_TRUE(::SetFileAttributesA(p.Path(c.make).c_str(), c.attributes));
        }
        p.app.Start();
        const Lines expected = c.lines(p.Path(atRoot), p.Path(inFolder));
        EXPECT_EQ(p.LastEvents(expected.size()), expected) << c.make;
        EXPECT_EQ(p.Shown("ShutdownScreen"), expected.back() != "Tamrel ended.") << c.make;
        if (!c.make.empty()) ::SetFileAttributesA(p.Path(c.make).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

}  // namespace
}  // namespace tamrel::test
