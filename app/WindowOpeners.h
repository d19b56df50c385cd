#pragma once

// Installs how one window opens another (WindowHooks): the windows of one folder know nothing of another's.
void installWindowOpeners();
