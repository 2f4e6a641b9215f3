#pragma once

namespace kqm {

// Starts COM (a single-threaded apartment) on the calling thread the first time it is called there; it stays
// started until the thread ends. What hands objects to other programs or asks the shell for icons needs it; the
// program does not start it before its window is up.
void KeepComOnThisThread();

}  // namespace kqm
