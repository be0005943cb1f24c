// The operating-system services the loader needs, behind one small file per
// platform.
#pragma once

#include <stddef.h>

enum class Protection { ReadWrite, ReadWriteExecute, ReadExecute };

// Committed, page-aligned, zero-filled memory; null on failure.
void* platformAllocate(size_t size, Protection protection);
bool platformProtect(void* region, size_t size, Protection protection);
bool platformLock(void* region, size_t size);
void platformFlushInstructions(void* region, size_t size);
int platformLastError();
// Gives the pages back to the system and keeps the range reserved.
void platformDecommit(void* region, size_t size);
// Gives a region from platformAllocate back whole.
void platformRelease(void* region, size_t size);
