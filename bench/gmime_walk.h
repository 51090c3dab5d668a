// GMime 3's parse of a message held in memory and a walk over its parts that
// touches what ours does (the header count and the length of each part's
// content): the reference our parse is measured against.
#pragma once

#include <gmime/gmime.h>

#include <cstddef>

namespace bench {

// Requires: g_mime_init() has run. `bytes` stays the caller's.
inline std::size_t gmimeParseAndWalk(GByteArray* bytes) {
    GMimeStream* stream = g_mime_stream_mem_new_with_byte_array(bytes);
    g_mime_stream_mem_set_owner(GMIME_STREAM_MEM(stream), FALSE);
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    GMimeMessage* parsed = g_mime_parser_construct_message(parser, nullptr);
    std::size_t total = 0;
    if (parsed) {
        g_mime_message_foreach(
            parsed,
            [](GMimeObject*, GMimeObject* part, gpointer data) {
                auto* sum = static_cast<std::size_t*>(data);
                *sum += static_cast<std::size_t>(g_mime_header_list_get_count(g_mime_object_get_header_list(part)));
                if (GMIME_IS_PART(part)) {
                    GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(part));
                    if (content) *sum += static_cast<std::size_t>(g_mime_stream_length(g_mime_data_wrapper_get_stream(content)));
                }
            },
            &total);
        g_object_unref(parsed);
    }
    g_object_unref(parser);
    g_object_unref(stream);
    return total;
}

}  // namespace bench
