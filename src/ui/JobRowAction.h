#pragma once

// What a row's buttons ask for. The main window turns each request into a
// queue operation or a workspace call; the row changes nothing itself.
enum class JobRowAction {
    none,
    remove,    // "Remove from list", on queued rows
    sendToFCP, // "Send to Final Cut", on finished rows while automatic sending is off
    reveal,    // "Show in Files", on finished rows
};
