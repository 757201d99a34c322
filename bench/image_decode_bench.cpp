// Decoding every embedded picture (ids 103-119) from its resource bytes into texel memory,
// the CPU part of loading the scene's pictures once per device.
#include "gfx/image_loader.h"
#include "platform/hooks/resource_table.h"

#include <benchmark/benchmark.h>

namespace {

void decodeAllPictures(benchmark::State& state) {
  DecodedImage image;
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (int i = 0; i < embeddedResourceCount; ++i) {
      const EmbeddedResource& resource = embeddedResources[i];
      decodeImageBlob(resource.bytes, resource.size, true, image);
      benchmark::DoNotOptimize(image.texels.data());
      bytes += resource.size;
    }
  }
  state.SetBytesProcessed(std::int64_t(state.iterations() * bytes));
  state.SetLabel(std::to_string(embeddedResourceCount) + " pictures");
}
BENCHMARK(decodeAllPictures)->Unit(benchmark::kMillisecond);

}  // namespace
