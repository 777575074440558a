// Helpers shared by the plot and figure built-in families.
#include "builtins/plot_support.h"

#include "builtins/routine_support.h"

namespace zirbin::builtins {

graphics::Figure& figureOnDemand() {
  graphics::FigureRegistry& registry = graphics::figures();
  registry.figure(-1);
  return *registry.current();
}

graphics::Frame& frameOnDemand() { return figureOnDemand().currentFrame(); }

void assignIds(Value& result, const std::vector<int>& ids) {
  if (ids.size() == 1) {
    result.assignInt(ids[0]);
    return;
  }
  int* out = shapeInts(result, 1, static_cast<int64_t>(ids.size()));
  std::copy(ids.begin(), ids.end(), out);
}

}  // namespace zirbin::builtins
