#include "template/render_stage.h"

#include <utility>

namespace {

RenderStageHook& currentHook() {
    static RenderStageHook hook;
    return hook;
}

}  // namespace

void setRenderStageHook(RenderStageHook hook) { currentHook() = std::move(hook); }

void enterRenderStage(RenderStage stage) {
    if (currentHook()) currentHook()(stage);
}
