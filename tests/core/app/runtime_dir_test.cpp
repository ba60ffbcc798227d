#include "app/runtime_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovan {
namespace {

namespace fs = std::filesystem;

struct Temp_Dir {
    Temp_Dir() {
        char tmpl[] = "/tmp/tovan1_rundir_XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~Temp_Dir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

constexpr uid_t Other_User = 65534;  // "nobody"

// Where the lock and socket go, for the environments a user may have.
TEST(RuntimeDir, OnlyAPrivateFolderIsUsed) {
    struct Case {
        const char* name;
        // Prepares the runtime folder (empty: unset); returns its value.
        std::function<std::string(const fs::path& root)> runtime;
        bool needs_root;
        bool use_runtime;  // else the private folder under the cache
    };
    const Case cases[] = {
        {"private runtime folder", [](const fs::path& r) {
             fs::create_directory(r / "run");
             ::chmod((r / "run").c_str(), 0700);
             return (r / "run").string();
         }, false, true},
        {"unset", [](const fs::path&) { return std::string(); }, false, false},
        {"relative", [](const fs::path&) { return std::string("run"); }, false, false},
        {"missing", [](const fs::path& r) { return (r / "none").string(); }, false, false},
        {"writable by all (a shared /tmp)", [](const fs::path& r) {
             fs::create_directory(r / "tmp");
             ::chmod((r / "tmp").c_str(), 01777);
             return (r / "tmp").string();
         }, false, false},
        {"a link to a private folder", [](const fs::path& r) {
             fs::create_directory(r / "real");
             ::chmod((r / "real").c_str(), 0700);
             fs::create_symlink(r / "real", r / "link");
             return (r / "link").string();
         }, false, false},
        {"squatted by another user", [](const fs::path& r) {
             fs::create_directory(r / "runtime-me");
             ::chmod((r / "runtime-me").c_str(), 0700);
             if (::chown((r / "runtime-me").c_str(), Other_User, Other_User) != 0) return std::string();
             return (r / "runtime-me").string();
         }, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needs_root && ::geteuid() != 0) continue;
        Temp_Dir root;
        const std::string runtime = c.runtime(root.path);
        const fs::path cache = root.path / "cache";
        const Runtime_Dir r =
            Private_Runtime_Dir(runtime.empty() ? nullptr : runtime.c_str(), cache.c_str(), "/nonexistent", "tovan1");
        if (c.use_runtime) {
            EXPECT_EQ(r.path, runtime);
        } else {
            EXPECT_EQ(r.path, (cache / "tovan1" / "run").string());
            struct stat st {};
            ASSERT_EQ(::lstat(r.path.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0700u);
            EXPECT_EQ(st.st_uid, ::geteuid());
        }
        EXPECT_FALSE(r.error) << Private_Dir_Error_Text(r.error, false);
    }
}

TEST(RuntimeDir, CacheFolderOfAnotherUserIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs to give a folder away";
    Temp_Dir root;
    const fs::path run = root.path / "cache" / "tovan1" / "run";
    fs::create_directories(run);
    ASSERT_EQ(::chown(run.c_str(), Other_User, Other_User), 0);
    const Runtime_Dir r = Private_Runtime_Dir(nullptr, (root.path / "cache").c_str(), nullptr, "tovan1");
    EXPECT_TRUE(r.path.empty());
    EXPECT_EQ(r.error.fault, Private_Dir_Fault::Other_Owner);
    EXPECT_EQ(r.error.path, run.string());
    EXPECT_EQ(Private_Dir_Error_Text(r.error, false), run.string() + " - owned by another user");
}

TEST(RuntimeDir, HomeFolderStandsInForTheCache) {
    Temp_Dir root;
    const Runtime_Dir r = Private_Runtime_Dir(nullptr, nullptr, root.path.c_str(), "tovan1");
    EXPECT_EQ(r.path, (root.path / ".cache" / "tovan1" / "run").string());
    const Runtime_Dir none = Private_Runtime_Dir(nullptr, nullptr, nullptr, "tovan1");
    EXPECT_TRUE(none.path.empty());
    EXPECT_EQ(none.error.fault, Private_Dir_Fault::No_Home);
}

TEST(RuntimeDir, FilesOfAnotherUserAreRefused) {
    Temp_Dir root;
    const fs::path mine = root.path / "mine.lock", theirs = root.path / "theirs.lock";
    ::close(::creat(mine.c_str(), 0600));
    EXPECT_TRUE(Owned_By_User(mine.string()));
    EXPECT_TRUE(Owned_By_User((root.path / "absent").string()));
    if (::geteuid() != 0) return;
    ::close(::creat(theirs.c_str(), 0600));
    ASSERT_EQ(::chown(theirs.c_str(), Other_User, Other_User), 0);
    Private_Dir_Error why;
    EXPECT_FALSE(Owned_By_User(theirs.string(), &why));
    EXPECT_EQ(why.fault, Private_Dir_Fault::Other_Owner);
    EXPECT_EQ(why.path, theirs.string());
}

}  // namespace
}  // namespace tovan
