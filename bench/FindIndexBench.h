// The search's index on generated working folders (FindIndexBench.cpp).
#pragma once

#include <string>

// Runs the cases in folders below base; lnk is a real shortcut's bytes.
void FindSection(const std::wstring& base, const std::string& lnk);
