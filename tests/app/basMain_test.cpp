#include <gtest/gtest.h>

#include "app/app_identity.h"
#include "app/basMain.h"
#include "engine/clsStartUp.h"
#include "platform/substitute/memory_registry.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/recording_process.h"
#include "platform/substitute/substitute_shell.h"

namespace kqm {
namespace {

struct FakeWindow : MainWindow {
  explicit FakeWindow(std::vector<std::string>& sharedLog, bool failOnLoad = false)
      : log(sharedLog), failLoad(failOnLoad) {}
  void Load() override {
    log.push_back("load");
    if (failLoad) throw AppError(-2147024894, "x", "The window could not load");
  }
  void Show() override { log.push_back("show"); }
  void Hide() override { log.push_back("hide"); }
  void Unload() override { log.push_back("unload"); }
  std::vector<std::string>& log;
  bool failLoad;
};

struct Harness {
  explicit Harness(std::string folder, bool failEngine = false, bool failLoad = false) : process(std::move(folder)) {
    AppFactories f;
    f.engine = [this, failEngine](basMain& owner) -> std::unique_ptr<clsStartUp> {
      log.push_back("engine");
      if (failEngine) throw AppError(429, "QuorvelManager", "ActiveX component can't create object");
      return std::make_unique<clsStartUp>(registry, files, shell, owner, owner.AppBaseName(), owner.sDisabledPath());
    };
    f.mainWindow = [this, failLoad](basMain&) { return std::make_unique<FakeWindow>(log, failLoad); };
    app = std::make_unique<basMain>(process, std::move(f));
  }
  MemoryRegistry registry;
  PosixFileSystem files;
  SubstituteShell shell{files};
  RecordingProcess process;
  std::vector<std::string> log;
  std::unique_ptr<basMain> app;
};

TEST(BasMain, FolderPathsForAFolderADriveRootAndAShare) {
  Harness folder("D:\\Tools");
  folder.app->Main();
  EXPECT_EQ("D:\\Tools\\", folder.app->sAppPath());
  EXPECT_EQ("D:\\Tools\\Disabled\\", folder.app->sDisabledPath());

  Harness root("C:\\");
  root.app->Main();
  EXPECT_EQ("C:\\", root.app->sAppPath()) << "a drive root keeps its single separator";
  EXPECT_EQ("C:\\Disabled\\", root.app->sDisabledPath());

  Harness share("\\\\server\\share\\apps");
  share.app->Main();
  EXPECT_EQ("\\\\server\\share\\apps\\Disabled\\", share.app->sDisabledPath());
}

TEST(BasMain, MainCreatesTheEngineThenLoadsAndShowsTheWindow) {
  Harness h("D:\\Tools");
  h.app->Main();
  EXPECT_EQ((std::vector<std::string>{"engine", "load", "show"}), h.log);
  EXPECT_NE(nullptr, h.app->oStartUp());
  EXPECT_EQ("D:\\Tools\\Disabled\\", h.app->oStartUp()->sDisabledPath()) << "the engine gets the Disabled folder";
  EXPECT_TRUE(h.app->MainWindowShown());
  EXPECT_TRUE(h.process.boxes.empty());
  EXPECT_EQ("QuorvelManager.cRegistry", [&] {
    try {
      h.app->oStartUp()->Registry().ValueType(0);
      h.app->oStartUp()->Registry().Value(std::string("x"));
    } catch (const AppError& e) {
      return e.Source();
    }
    return std::string();
  }()) << "the engine's registry object names the executable in its errors";
}

TEST(BasMain, AFailingEngineIsReportedAsMainAndNoWindowOpens) {
  Harness h("D:\\Tools", true);
  h.app->Main();
  EXPECT_EQ((std::vector<std::string>{"engine"}), h.log);
  EXPECT_FALSE(h.app->MainWindowShown());
  ASSERT_EQ(1u, h.process.boxes.size());
  EXPECT_EQ(kAppTitle, h.process.boxes[0].title);
  EXPECT_EQ("Main: error 429: ActiveX component can't create object", h.process.boxes[0].text);
  EXPECT_EQ(429, h.app->lLastErrNumber());
}

TEST(BasMain, AFailingLoadStopsStartUpBeforeShowing) {
  Harness h("D:\\Tools", false, true);
  h.app->Main();
  EXPECT_EQ((std::vector<std::string>{"engine", "load"}), h.log);
  ASSERT_EQ(1u, h.process.boxes.size());
  EXPECT_EQ("Main: error -2147024894: The window could not load", h.process.boxes[0].text);
}

TEST(BasMain, ShowErrorWritesNegativeNumbersAndEmptyDescriptions) {
  Harness h("D:\\Tools");
  h.app->ShowError("FolderLocation", -2147467259, "");
  ASSERT_EQ(1u, h.process.boxes.size());
  EXPECT_EQ("FolderLocation: error -2147467259: ", h.process.boxes[0].text);
  EXPECT_EQ(-2147467259, h.app->lLastErrNumber());
}

TEST(BasMain, EndAppReleasesTheEngineAndEndsTheProcess) {
  Harness fromUnload("D:\\Tools");
  fromUnload.app->Main();
  fromUnload.app->EndApp(true);
  EXPECT_EQ(nullptr, fromUnload.app->oStartUp());
  EXPECT_EQ((std::vector<int>{0}), fromUnload.process.endCodes);
  EXPECT_EQ((std::vector<std::string>{"engine", "load", "show"}), fromUnload.log) << "the window unloads itself";
  EXPECT_TRUE(fromUnload.process.boxes.empty());

  Harness elsewhere("D:\\Tools");
  elsewhere.app->Main();
  elsewhere.app->EndApp(false);
  EXPECT_EQ((std::vector<std::string>{"engine", "load", "show", "hide", "unload"}), elsewhere.log);
  EXPECT_EQ((std::vector<int>{0}), elsewhere.process.endCodes);
}

TEST(AppIdentity, CaptionIsTitleVersionAndBuild) {
  EXPECT_EQ("Kestrum Quorvel Manager 1.0 Build 45", AppCaption());
}

}  // namespace
}  // namespace kqm
