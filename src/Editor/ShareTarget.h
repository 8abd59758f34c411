#pragma once
// Where a shared picture file goes from the share button's menu: its default
// viewer, a new e-mail with it attached, the file manager, or its path to the
// clipboard.
enum class ShareTarget { defaultViewer, email, fileManager, copyPath };
