// The benchmark families of rio_bench, registered by name at start-up (the
// scan family is made from the table of steady-state setups).
#pragma once

namespace bench {

void RegisterCommandBenchmarks();  // command/<kind>: Prepare + ParseReply
void RegisterScanBenchmarks();     // scan/<deliverable>: one whole steady-state scan

}  // namespace bench
