// Installation and removal of the service through the option words, over
// the registry and service manager files of the POSIX backend.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/launcher_state.h"
#include "core/messages.h"
#include "core/service.h"
#include "platform/platform.h"
#include "test_support.h"

namespace {

using launcher_test::ReadFile;

class Service : public ::testing::Test {
 protected:
  void SetUp() override {
    srvlaunch::ResetLauncherState();
    srvlaunch::LoadMessageTable();
    srvlaunch::LauncherConfig& c = srvlaunch::config;
    c.install_option = "-install";
    c.uninstall_option = "-uninstall";
    c.service_mode_option = "-startlauncherinservicemode";
    c.service_name = "OrvaneSvc";
    ::setenv("SRVLAUNCH_SIM_ROOT", scratch_.Path().c_str(), 1);
    ::setenv("SRVLAUNCH_MESSAGE_LOG", (scratch_.Path() / "messages.log").c_str(), 1);
    ASSERT_TRUE(platform::ExePath(exe_));
  }
  void TearDown() override {
    ::unsetenv("SRVLAUNCH_SIM_ROOT");
    ::unsetenv("SRVLAUNCH_MESSAGE_LOG");
  }
  std::string Registry() const { return ReadFile(scratch_.Path() / "registry.txt"); }
  std::string Messages() const { return ReadFile(scratch_.Path() / "messages.log"); }

  launcher_test::ScratchDir scratch_;
  std::string exe_;
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const std::string kKey = "SYSTEM\\CurrentControlSet\\Services\\";

struct InstallCase {
  bool args_on_command_line;
  bool demand_start;
  bool interactive;
  std::string dependencies;
  std::vector<std::string> args;
  std::string name;            // the service installed
  std::string image_tail;      // what follows the quoted program in ImagePath
  std::string start, type;     // REG_DWORD values
  std::string depend_line;     // the DependOnService line, or empty for none
};

TEST_F(Service, InstallStoresTheServiceItsDescriptionAndItsEventSource) {
  const InstallCase cases[] = {
      {false, false, false, "", {"", "-install", "Other", "Ignored", "0"}, "OrvaneSvc",
       " -startlauncherinservicemode", "2", "16", ""},
      {true, false, true, "Tcpip;Dhcp", {"", "-install", "Named", "Its text", "0"}, "Named",
       " -startlauncherinservicemode \"Named\" \"Its text\" 0", "3", "272", "DependOnService\tREG_MULTI_SZ\tTcpip\\0Dhcp"},
      {true, true, false, "", {"", "-install", "Auto", "Started at boot", "1"}, "Auto",
       " -startlauncherinservicemode \"Auto\" \"Started at boot\" 1", "2", "16", ""},
  };
  for (const InstallCase& k : cases) {
    launcher_test::fs::remove(scratch_.Path() / "registry.txt");
    launcher_test::fs::remove(scratch_.Path() / "messages.log");
    srvlaunch::LauncherConfig& c = srvlaunch::config;
    c.service_args_on_command_line = k.args_on_command_line;
    c.demand_start = k.demand_start;
    c.interactive_service = k.interactive;
    c.service_dependencies = k.dependencies;
    c.service_description = "Configured text";
    EXPECT_TRUE(srvlaunch::HandleServiceOptions(k.args));
    EXPECT_EQ(Messages(), "Information: Service installed: " + k.name + "\n");
    const std::string r = Registry();
    const std::string key = kKey + k.name;
    const std::string description = k.args_on_command_line ? k.args[3] : "Configured text";
    EXPECT_TRUE(Has(r, key + "\tImagePath\tREG_EXPAND_SZ\t\"" + exe_ + "\"" + k.image_tail + "\n")) << r;
    EXPECT_TRUE(Has(r, key + "\tStart\tREG_DWORD\t" + k.start + "\n")) << r;
    EXPECT_TRUE(Has(r, key + "\tType\tREG_DWORD\t" + k.type + "\n")) << r;
    EXPECT_TRUE(Has(r, key + "\tDescription\tREG_EXPAND_SZ\t" + description + "\n")) << r;
    EXPECT_EQ(Has(r, "DependOnService"), !k.depend_line.empty()) << r;
    if (!k.depend_line.empty()) {
      EXPECT_TRUE(Has(r, key + "\t" + k.depend_line + "\n")) << r;
    }
    const std::string source = kKey + "EventLog\\Application\\" + k.name;
    EXPECT_TRUE(Has(r, source + "\tEventMessageFile\tREG_EXPAND_SZ\t" + exe_ + "\n")) << r;
    EXPECT_TRUE(Has(r, source + "\tTypesSupported\tREG_DWORD\t7\n")) << r;
  }
}

TEST_F(Service, InstalledOnceRemovedOnceAndTheEventSourceStays) {
  srvlaunch::config.service_description = "";
  EXPECT_TRUE(srvlaunch::HandleServiceOptions({"", "-install"}));
  const std::string installed = Registry();
  EXPECT_FALSE(Has(installed, "Description")) << installed;
  EXPECT_TRUE(srvlaunch::HandleServiceOptions({"", "-install"}));
  EXPECT_EQ(Registry(), installed);
  EXPECT_TRUE(srvlaunch::HandleServiceOptions({"", "-uninstall"}));
  EXPECT_TRUE(srvlaunch::HandleServiceOptions({"", "-uninstall"}));
  EXPECT_EQ(Messages(),
            "Information: Service installed: OrvaneSvc\n"
            "Error: Service is already installed: OrvaneSvc\n"
            "Information: Service uninstalled: OrvaneSvc\n"
            "Error: The specified service does not exist as an installed service.\n");
  const std::string r = Registry();
  EXPECT_FALSE(Has(r, kKey + "OrvaneSvc\t")) << r;
  EXPECT_TRUE(Has(r, kKey + "EventLog\\Application\\OrvaneSvc\tTypesSupported")) << r;
}

TEST_F(Service, OtherWordsAreNotServiceOptions) {
  EXPECT_FALSE(srvlaunch::HandleServiceOptions({""}));
  EXPECT_FALSE(srvlaunch::HandleServiceOptions({"", "-other", "-install"}));
  EXPECT_EQ(Messages(), "");
}

TEST_F(Service, NoServiceManagerFilesIsReportedWithItsReason) {
  ::unsetenv("SRVLAUNCH_SIM_ROOT");
  EXPECT_EQ(srvlaunch::QueryServiceInstalled("OrvaneSvc"), -1);
  EXPECT_TRUE(Has(Messages(), "Error: SRVLAUNCH_SIM_ROOT names no directory")) << Messages();
}

TEST_F(Service, ServiceModeOfAServiceNotInstalledCannotConnect) {
  EXPECT_TRUE(srvlaunch::HandleServiceOptions({"", "-startlauncherinservicemode"}));
  EXPECT_TRUE(srvlaunch::state.service_mode);
  EXPECT_EQ(ReadFile(scratch_.Path() / "eventlog" / "Application.log"),
            "OrvaneSvc|ERROR|0xC0000002|Internal error RC000003\\n\\nReason: The service process could not connect "
            "to the service controller.\n");
}

}  // namespace
