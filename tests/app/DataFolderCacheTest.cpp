// The data folder: chosen and made ready on first use, then kept; the same folder the desktop
// toolkit names as the program's data location.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>

#include "quandrelle/ProgramInfo.h"
#include "quandrelle/app/DataFolderCache.h"
#include "quandrelle/stores/StoreError.h"

namespace quandrelle {
namespace {

namespace fs = std::filesystem;

class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (fs::temp_directory_path() / "quandrelle-app-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

TEST(DataFolderCacheTest, ChoosesAndPreparesOnceThenKeepsTheAnswer) {
    TemporaryFolder temp;
    int looks = 0;
    std::string folder = (temp.path() / "records").string() + "/";
    DataFolderCache cache([&] {
        ++looks;
        return DataFolderChoice{folder, std::nullopt};
    });
    const std::string first = folder;
    EXPECT_EQ(cache.DataFolderPath(), first);
    EXPECT_TRUE(fs::is_directory(first)) << "the chosen folder is made ready before it is handed out";
    folder = "/elsewhere/";
    EXPECT_EQ(cache.DataFolderPath(), first);
    EXPECT_EQ(looks, 1);
}

TEST(DataFolderCacheTest, AFolderThatCannotBeMadeReadyIsTriedAgainNextTime) {
    TemporaryFolder temp;
    const fs::path blocker = temp.path() / "blocker";
    { std::ofstream(blocker) << "a file where a folder should be"; }
    const std::string folder = (blocker / "records").string() + "/";
    DataFolderCache cache([&] { return DataFolderChoice{folder, std::nullopt}; });
    EXPECT_THROW(cache.DataFolderPath(), StoreError);
    fs::remove(blocker);
    EXPECT_EQ(cache.DataFolderPath(), folder);
}

TEST(DataFolderCacheTest, ABuildFolderKeepsTheRecordsBesideThePrograms) {
    DataFolderCache cache;
    const std::string& folder = cache.DataFolderPath();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_NE(folder.find("tests/app"), std::string::npos) << folder;
}

// The command-line programs find the per-user folder without the toolkit; it must be the folder the
// toolkit gives the desktop program under its system name.
TEST(DataFolderCacheTest, ThePerUserFolderIsTheToolkitsApplicationDataLocation) {
    const QString savedName = QCoreApplication::applicationName();
    const QByteArray savedXdg = qgetenv("XDG_DATA_HOME");
    const bool hadXdg = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    QCoreApplication::setApplicationName(QString::fromUtf8(kProgramName));
    // The tests' own folders stand in for the user's everywhere else; here the real ones are compared.
    QStandardPaths::setTestModeEnabled(false);

    qputenv("XDG_DATA_HOME", "/tmp/quandrelle-xdg-data");
    EXPECT_EQ(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString() + "/",
              userDataFolder());
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString() + "/",
              userDataFolder());

    if (hadXdg) {
        qputenv("XDG_DATA_HOME", savedXdg);
    }
    QCoreApplication::setApplicationName(savedName);
    QStandardPaths::setTestModeEnabled(true);
}

}  // namespace
}  // namespace quandrelle
