// Action kinds, the action file that keeps the layout log's records between reading and applying,
// and the line each record shows in the confirmation list and the action log.
#pragma once

#include "itemformat/io_textstream.h"

#include <optional>
#include <string>
#include <vector>

namespace tandrel {

// Ids 0 to 14 have keywords (0 an empty one); higher ids are not kept.
constexpr int kLastActionId = 14;
constexpr size_t kMaxParameters = 10;
constexpr size_t kMaxTextLength = 80; // characters, for keywords and parameters

constexpr const char* kLogFileNameRecord = "LogFileName";
constexpr const char* kIgnored = "Ignored: ";
constexpr const char* kDone = "Done: ";
// A call that changes the schematic timed out: the program may yet carry it out.
constexpr const char* kNotKnown = "Not known: ";

// The keyword of an action id; null when the id has none worth writing (below 0 or above 14).
const char* ActionKeyword(int id);

// One record of the action file: its name (keyword) and parameters.
struct ActionRecord {
    std::string name;
    std::vector<std::string> params;
    // Parameter i, empty when missing.
    const std::string& Param(size_t i) const;
};

// Writes the first list of the action file: "LogFileName" with the log's path (empty: none chosen).
void WriteLogFileName(IO_TextStream& out, const std::string& logPath);
// Writes one log record: its keyword's list with up to 10 parameters, each cut to 80 characters.
// Nothing is written for ids without a keyword or for a record without parameters.
void WriteActionRecord(IO_TextStream& out, int id, const std::vector<std::string>& params);

// Reads the records of an action file in order, up to the end or the first item that does not parse
// (the record holding that item is left out).
std::vector<ActionRecord> ReadActionRecords(IO_TextStream& in);

// The line of a record of a kind that has one, with the given prefix; nullopt for names without one
// ("LogFileName", "COMPONENT_ADD", "COMPONENT_CHANGE_DEVICE", "NET_MERGE" and names not in the table).
std::optional<std::string> ActionLine(const std::string& prefix, const ActionRecord& record);

// The confirmation list's line for a record, nullopt when the record is not listed.
std::optional<std::string> ListText(const ActionRecord& record);

// A text cut to at most `limit` characters, never inside a UTF-8 character.
std::string CutText(const std::string& text, size_t limit);

} // namespace tandrel
