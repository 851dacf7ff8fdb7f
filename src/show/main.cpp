// The show: start-up, the main loop, and the hand-over to the console's menu.
#include "show/loop.h"
#include "show/startup.h"

#include <unistd.h>

// The display and the scene objects exist before main runs.
[[maybe_unused]] static const bool ShowObjectsConstructed = (constructShowObjects(), true);

int main()
{
    prepareShow();
    startMusic();
    ShowLoop loop;
    runShowLoop(loop);
    stopMusic();
    if (chdir("/usr/gp2x") == 0)
        execl("/usr/gp2x/gp2xmenu", "/usr/gp2x/gp2xmenu", static_cast<char*>(nullptr));
    // Without the console's menu program the show simply ends here.
    return 0;
}
