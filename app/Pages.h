// The pages this build has, registered with the main window's menu commands.
#pragma once

// Registers every page; calling it again changes nothing.
void RegisterModulePages();
