#pragma once
// The demonstration collection: the cameras of `camsim --demo`, already entered with their
// models, in a folder of their own, and a camera switch that tours them.

class Node;

void AddDemoCollection(const Node& settings);
