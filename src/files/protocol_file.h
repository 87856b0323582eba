// Protocol files (".qvp"): one method page's values, one value per line, the method index first.
#pragma once

#include "instrument/method_parameters.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The text of the protocol of method `m`, taken from that method's page of `pages` and the extra lead
// time. Amperometry has nothing to keep and gives no text, so an existing file is left as it is.
std::optional<QByteArray> write_protocol(method_index m, const method_pages &pages, uint8_t extra_time_s);

struct protocol_contents {
    method_index method = method_index::cyclic;
    method_pages pages;         // `current` with the method's own page replaced by the file's values
    uint8_t extra_time_s = 0;   // unchanged for cyclic and amperometry
};

// Reads a protocol over the form's current values. No value when the first line is not a method index
// 0 to 6: the form and the method box then stay as they are. Values are not clamped here; the boxes
// clamp them to their ranges.
std::optional<protocol_contents> read_protocol(const QByteArray &bytes, const method_pages &current,
                                               uint8_t current_extra_time_s);
