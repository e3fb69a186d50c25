#include "screens/ScreenHost.h"

#include "editor/LevelEditor.h"
#include "screens/Credits.h"
#include "screens/HiscoreScreen.h"
#include "screens/Menus.h"
#include "screens/PlayerForms.h"
#include "screens/StoryScreens.h"

TScreenHost::TScreenHost(plat::Platform& platform) : TEditorHost(platform) {}

// The screens are complete types only here.
TScreenHost::~TScreenHost() = default;
