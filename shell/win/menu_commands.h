// Command ids that the host handed out for the plug-in's menu items.
#pragma once

struct MenuCommands {
    // -1 until "SaveTemplate" is registered for a template-editing window.
    int saveTemplateCommandId = -1;
};

MenuCommands& menuCommands();
