#pragma once

// How the allocator treats the receiver's sample blocks. A block (about 1 MB at
// 2 MS/s) is allocated on the engine thread, by the receiver, and freed on the mixing
// thread by the last channel that read it, several times a second. With glibc's
// defaults such blocks are mapped afresh, or trimmed back to the system as soon as they
// are freed, and the kernel clears every page again for the next one; kept in the heap
// they are simply reused.
namespace SampleBlockMemory {

// Keeps blocks of any size the engine uses in the heap, and freed memory up to a
// margin mapped for the next blocks. Called when the engine is built.
void keepBlocksInHeap();
// Gives the memory that blocks left free back to the system: after an overload the
// channels' queues held hundreds of blocks.
void returnFreedMemory();

} // namespace SampleBlockMemory
