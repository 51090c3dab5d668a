// Internal to the template engine: the guarded stages of a rendering, and a
// hook that each stage calls before its work (a loop phase before every
// search). Tests install a hook that throws to exercise the error guards;
// without a hook nothing happens.
#pragma once

#include <functional>

enum class RenderStage {
    MetaCharset,       // guard A
    CharsetText,       // guard A (%CETXT)
    NamedSignature,    // guard B (%G)
    Identity,          // guard C, before %N
    IdentityAddress,   // guard C, before %A
    AttachmentListH,   // guard D (%LH)
    AttachmentListV,   // guard D (%LV)
    FreeHeader,        // guard E (%h)
    LocalDate,         // guard E (%D)
    SinglePass,        // guard F
    StoreRendered,     // guard F
    ConvertSignature,  // guard F
    SignatureTokens,   // guard F
};

using RenderStageHook = std::function<void(RenderStage)>;

void setRenderStageHook(RenderStageHook hook);
void enterRenderStage(RenderStage stage);
