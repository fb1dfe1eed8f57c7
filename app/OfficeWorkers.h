#pragma once

class ISettingsStore;

// How many documents the office lays out at once: the integer "Workers" of the program's
// settings key (1 to 16), else one per core, at most 4. Each takes an office of its own, and
// an office takes most of a core and close to a gigabyte of address space.
int OfficeWorkerCount(ISettingsStore& store);
