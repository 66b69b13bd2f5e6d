#pragma once
// The viewer's string table.

// Makes every text of the viewer available to LoadResText.
void RegisterViewerStrings();
