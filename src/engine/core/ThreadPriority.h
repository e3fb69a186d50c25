// Background work (pictures decoded ahead, music read ahead) runs on threads
// that give way to the game thread, so that a frame drawn meanwhile is not
// kept waiting for a processor.
#pragma once

// Lowers the calling thread's priority well below the game thread's (nice
// 10: about a tenth of its share when both want the processor), though not
// so far that a busy machine starves it. Harmless where that cannot be done.
void LowerThisThreadsPriority();
