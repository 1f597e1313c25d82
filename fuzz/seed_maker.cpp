// Writes the seed corpora of the fuzz targets, from the exchanges the tests
// and examples already make:
//   parse_reply/  every command kind's request answered by the simulator;
//   driver_<d>/   every module of the station files given, driven through its
//                 plug-in for a few scans against the simulator: with the
//                 station's checksum setting, with the other one, and with
//                 dropped and corrupted replies;
//   station/      the station files themselves.
// Usage: fuzz_seed_maker OUTPUT_DIR STATION.toml...
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "byte_stream.h"
#include "command_kinds.h"
#include "exchange.h"
#include "fuzz_tree.h"
#include "host/plugin.h"
#include "host/value_text.h"
#include "iomodsim/bus.h"
#include "station/station.h"

namespace fs = std::filesystem;

namespace {

constexpr int kScans = 4;
constexpr std::uint8_t kNameBufferSize = 64;

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Request(hostabi::Command& command) {
  return std::string(command.GetRequest(), command.GetRequestLength());
}

// parse_reply/: kind, options, address, variant, type seed, reply.
int MakeReplySeeds(const fs::path& dir) {
  int written = 0;
  const auto& kinds = fuzz::CommandKinds();
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    for (bool checksum : {false, true}) {
      for (std::uint8_t variant : {0, 1, 2, 5}) {
        sim::BusOptions options;
        options.checksum = checksum;
        sim::Bus bus(options);
        std::string error;
        if (!bus.AddModule({kinds[k].family, 1, ""}, &error)) {
          std::cerr << "seed maker: " << kinds[k].name << ": " << error << '\n';
          return -1;
        }
        fuzz::FuzzTree tree;
        tree.tree = std::make_unique<host::HostTree>(1, "", "");
        fuzz::KindContext context;
        context.db = tree.Db();
        context.variant = variant;
        for (IoNode& node : context.nodes) node = tree.tree->AddVariable("", host::kTypeFloat32).node;
        auto command = kinds[k].make(checksum, context);
        command->Prepare();
        const auto reply = bus.Respond(std::string(command->GetRequest(), command->GetRequestLength()));
        fuzz::ByteWriter seed;
        seed.U8(static_cast<std::uint8_t>(k));
        seed.U8(checksum ? 1 : 0);  // delivered like the host
        seed.U16(1);
        seed.U8(variant);
        seed.U8(9);  // the first variables are reals
        seed.Bytes(reply.value_or(""));
        WriteFile(dir / ("kind" + std::to_string(k) + "_" + std::to_string(checksum) + "_" +
                         std::to_string(variant)),
                  seed.Data());
        ++written;
      }
    }
  }
  return written;
}

fuzz::TreeSpec SpecOf(const station::Module& module, bool checksum) {
  fuzz::TreeSpec spec;
  spec.checksum = checksum;
  spec.flags = module.flags;
  spec.watchdog = module.watchdog;
  spec.address = static_cast<std::uint16_t>(module.address);
  spec.model = module.model;
  spec.params = module.params;
  for (const station::Variable& var : module.variables) {
    fuzz::ChildSpec child;
    child.name = var.name;
    child.typeField = var.typeCode;
    child.params = var.params;
    if (var.initial && var.typeCode != host::kTypeString) {
      std::uint8_t value[host::kStringRecordSize] = {};
      host::EncodeValue(var.typeCode, *var.initial, value, nullptr);
      for (std::size_t i = 0; i < host::ValueSize(var.typeCode) && i < 8; ++i) {
        child.initial |= std::uint64_t{value[i]} << (8 * i);
      }
    }
    spec.children.push_back(child);
  }
  return spec;
}

// One driver seed: the tree, then kScans scans forced, each exchange
// answered by the simulated module (or not, when it stays silent).
std::string DriverSeed(const station::Module& module, const fuzz::TreeSpec& spec, sim::Bus& bus) {
  fuzz::ByteWriter seed;
  seed.U8(kNameBufferSize);
  fuzz::ByteWriter treeBytes;
  fuzz::WriteTree(spec, treeBytes);
  seed.Bytes(treeBytes.Data());
  fuzz::ByteReader reader(reinterpret_cast<const std::uint8_t*>(treeBytes.Data().data()), treeBytes.Data().size());
  fuzz::FuzzTree tree = fuzz::ReadTree(reader);

  host::Plugin plugin(module.driver);
  host::ModulePtr driver = plugin.CreateModule();
  driver->SetWatchdogTimeout(tree.watchdog);
  driver->Initialize(tree.tree->Db(), tree.tree->ModuleNode(), tree.flags, tree.checksum ? 1 : 0);
  for (int scan = 0; scan < kScans; ++scan) {
    seed.U8(0);    // forced, no variable changed
    seed.U16(100);
    driver->IsScanDue();
    driver->ScheduleCommands();
    hostabi::RequestQueue* queue = driver->GetRequestQueue();
    while (!queue->empty()) {
      hostabi::Command* command = queue->front();
      command->Prepare();
      const auto reply = bus.Respond(Request(*command));
      std::uint32_t status = 2;
      if (reply) {
        seed.U8(2);
        seed.Text(*reply);
        fuzz::Deliver(*command, *reply, fuzz::Delivery::HostLike, tree.checksum);
        status = command->ParseReply();
      } else {
        seed.U8(0);
      }
      queue->pop_front();
      driver->ReportResult(status);
    }
    driver->RecordScan();
  }
  return seed.Data();
}

std::string FileNameOf(const std::string& text) {
  std::string name;
  for (char c : text) name += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
  return name;
}

int MakeDriverSeeds(const fs::path& dir, const std::string& stationPath) {
  std::vector<station::Error> errors;
  const auto st = station::Load(stationPath, errors);
  if (!st) {
    for (const auto& error : errors) std::cerr << station::Format(stationPath, error) << '\n';
    return -1;
  }
  WriteFile(dir / "station" / fs::path(stationPath).filename(), [&] {
    std::ifstream file(stationPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }());
  int written = 1;
  for (const station::Module& module : st->modules) {
    struct Variant {
      const char* suffix;
      bool otherChecksum;
      double drop, corrupt;
    };
    for (const Variant& v : {Variant{"clean", false, 0, 0}, Variant{"checksum", true, 0, 0},
                             Variant{"faults", false, 0.15, 0.1}}) {
      const bool checksum = st->buses[module.busIndex].checksum != v.otherChecksum;
      sim::BusOptions options;
      options.checksum = checksum;
      options.dropProbability = v.drop;
      options.corruptProbability = v.corrupt;
      options.seed = 7;
      sim::Bus bus(options);
      std::string error;
      if (!bus.AddModule({module.driver, module.address, module.model}, &error)) {
        std::cerr << "seed maker: " << module.name << ": " << error << '\n';
        return -1;
      }
      const std::string seed = DriverSeed(module, SpecOf(module, checksum), bus);
      WriteFile(dir / ("driver_" + module.driver) /
                    (FileNameOf(fs::path(stationPath).stem().string() + "_" + module.name) + "_" + v.suffix),
                seed);
      ++written;
    }
  }
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: fuzz_seed_maker OUTPUT_DIR STATION.toml...\n";
    return 2;
  }
  const fs::path dir = argv[1];
  try {
    int total = MakeReplySeeds(dir / "parse_reply");
    if (total < 0) return 1;
    for (int i = 2; i < argc; ++i) {
      const int written = MakeDriverSeeds(dir, argv[i]);
      if (written < 0) return 1;
      total += written;
    }
    std::cout << "seed maker: " << total << " seeds in " << dir.string() << '\n';
  } catch (const std::exception& error) {
    std::cerr << "seed maker: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
