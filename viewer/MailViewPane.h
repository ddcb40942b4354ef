// Puts the mail view pane into the main window's place for it: the frame
// makes its lower-right pane with it and shows the list's selected mail in it.
#pragma once

void InstallMailViewPane();
