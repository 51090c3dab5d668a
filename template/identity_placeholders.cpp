#include "template/identity_placeholders.h"

#include <string>

#include "platform/files.h"
#include "platform/ini.h"
#include "signature/signature_store.h"
#include "template/placeholder_pattern.h"
#include "template/render_stage.h"
#include "template/single_pass.h"
#include "text/html_text.h"

namespace {
constexpr int kIdentityValueSize = 256;
}

void registerIdentityPlaceholders(SinglePass& pass, CharsetCode code) {
    enterRenderStage(RenderStage::Identity);
    const std::string identityFile = signatureFolder() + "MailBox.ini";
    std::string name;
    std::string address;
    if (platform::fileExists(identityFile)) {
        name = platform::readProfileString("Account", "YourName", "", kIdentityValueSize, identityFile);
        address = platform::readProfileString("Account", "MailAddress", "", kIdentityValueSize, identityFile);
    }
    pass.registerPlaceholder(convertFromCharset(name, code), placeholderPattern("N"));
    enterRenderStage(RenderStage::IdentityAddress);
    pass.registerPlaceholder(htmlEscapeAngles(address), placeholderPattern("A"));
}
