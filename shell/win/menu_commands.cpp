#include "shell/win/menu_commands.h"

MenuCommands& menuCommands() {
    static MenuCommands commands;
    return commands;
}
