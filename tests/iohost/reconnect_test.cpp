// A serial port that disappears (a USB adapter unplugged) and comes back:
// the host reports the port error (3) in "Connect State" of the bus's
// modules, keeps polling its other buses meanwhile, and opens the port again
// when it is back. The "adapter" is a symbolic link to a pseudo-terminal that
// a simulator serves; unplugging stops the server and removes the link.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "host_fixture.h"
#include "iomodsim/pty_server.h"

namespace {

using iohosttest::WaitFor;

class PluggableAdapter {
 public:
  PluggableAdapter() : link_(MakeLinkPath()) {}
  ~PluggableAdapter() {
    Unplug();
    rmdir(link_.substr(0, link_.rfind('/')).c_str());
  }
  const std::string& Path() const { return link_; }
  bool Plug(sim::Bus& bus) {
    server_ = std::make_unique<sim::PtyServer>(bus);
    std::string error;
    if (!server_->Start(&error)) {
      ADD_FAILURE() << error;
      return false;
    }
    return symlink(server_->SlavePath().c_str(), link_.c_str()) == 0;
  }
  void Unplug() {
    unlink(link_.c_str());
    server_.reset();  // closes the pseudo-terminal: the host's descriptor hangs up
  }

 private:
  static std::string MakeLinkPath() {
    char directory[] = "/tmp/iohost-adapter-XXXXXX";
    const char* made = mkdtemp(directory);
    return std::string(made != nullptr ? made : "/tmp") + "/ttyUSB0";
  }
  std::string link_;
  std::unique_ptr<sim::PtyServer> server_;
};

std::string Station(const std::string& adapter, const std::string& other) {
  std::string text;
  for (const auto& [name, port] : {std::pair<std::string, std::string>{"usb", adapter}, {"fixed", other}}) {
    text += "[[bus]]\nname = \"" + name + "\"\nport = \"" + port + "\"\nbaud = 115200\ntimeout_ms = 100\n";
  }
  for (const char* bus : {"usb", "fixed"}) {
    text += std::string("[[module]]\nname = \"") + bus + "\"\nbus = \"" + bus +
            "\"\ndriver = \"mx43110\"\naddress = 1\nmodel = \"MX-43110\"\nparams = \"00,08,Continuous,100,1\"\n"
            "  [[module.variable]]\n  name = \"Connect State\"\n  type = \"UDINT\"\n"
            "  [[module.variable]]\n  name = \"AI 0\"\n  type = \"REAL\"\n";
  }
  return text;
}

TEST(PortLoss, UnpluggedPortFailsItsModulesAndIsReopened) {
  sim::Bus usbBus({});
  sim::Bus fixedBus({});
  std::string error;
  ASSERT_TRUE(usbBus.AddModule({"mx43110", 1, "MX-43110"}, &error)) << error;
  ASSERT_TRUE(fixedBus.AddModule({"mx43110", 1, "MX-43110"}, &error)) << error;
  sim::PtyServer fixedServer(fixedBus);
  ASSERT_TRUE(fixedServer.Start(&error)) << error;
  PluggableAdapter adapter;
  ASSERT_TRUE(adapter.Plug(usbBus));

  auto runtime = iohosttest::BuildRuntime(Station(adapter.Path(), fixedServer.SlavePath()));
  ASSERT_NE(runtime, nullptr);
  iohost::EventLog log(stdout, false, iohosttest::TraceFile());
  iohost::BusThreads threads(*runtime, log);
  threads.Start();
  auto state = [&](const char* module) { return runtime->Get(module, "Connect State").value_or(""); };
  auto scans = [&](const char* module) {
    iohost::RuntimeBus& bus = *runtime->Buses()[runtime->FindModule(module)->busIndex];
    std::lock_guard<std::mutex> lock(bus.mutex);
    return runtime->FindModule(module)->counters.scans;
  };
  usbBus.PinAnalogInput(1, 0, 2.5);
  ASSERT_TRUE(WaitFor([&] { return runtime->Get("usb", "AI 0") == std::optional<std::string>("2.5"); }));

  adapter.Unplug();
  EXPECT_TRUE(WaitFor([&] { return state("usb") == "3"; })) << "Connect State " << state("usb");
  const auto before = scans("fixed");
  EXPECT_TRUE(WaitFor([&] { return scans("fixed") > before + 5; })) << "the other bus must go on";
  EXPECT_EQ(state("fixed"), "0");

  usbBus.PinAnalogInput(1, 0, 7.25);
  ASSERT_TRUE(adapter.Plug(usbBus));
  EXPECT_TRUE(WaitFor([&] {
    return state("usb") == "0" && runtime->Get("usb", "AI 0") == std::optional<std::string>("7.25");
  })) << "Connect State " << state("usb");
  threads.Stop();
}

}  // namespace
