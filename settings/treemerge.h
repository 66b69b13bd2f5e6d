#pragma once
// Brings one writer's changes into a settings tree that another writer changed meanwhile: what
// two viewers on one settings file (a wall of screens), or the viewer and a script, each changed
// since they read the file both stay.

class Node;

// The changes made in ours since base go into theirs: an entry added or changed in ours since
// base takes our value there, and one deleted from ours since base goes from there; the rest of
// theirs stays as it is. A value is unchanged when ours holds every reading base held, alike
// (reading a value through another type adds a reading, which changes nothing). False, with
// theirs unchanged, when a tree holds two entries of one path (siblings of one name), which paths
// cannot tell apart.
bool MergeChanges(const Node& base, const Node& ours, const Node& theirs);
