/// @file
/// Compatibility constants: the files and lines exceptions show; never change them when code moves.
/// Every place the library throws from, with the source file name and line that its exception
/// carries. Applications see these in getFile() and getLine() and may rely on them, so they are
/// written here once and every throw site reads its own entry. Not installed.
#ifndef PLATFORM_DETAIL_THROWSITES_H
#define PLATFORM_DETAIL_THROWSITES_H

namespace dataobjects_data {
namespace detail {

/// One throw site: its file name (static storage) and line.
struct ThrowSite {
  const char* file;
  int line;
};

namespace throw_sites {

inline constexpr char kSerializeFile[] = "../../../../libs/utilities/archive/Serialize";
inline constexpr char kUuidEntryFile[] = "UuidEntryDO";
inline constexpr char kGzipFile[] = "CompressionGZip";
inline constexpr char kDetailsFile[] = "CompressedDetails";
inline constexpr char kMeasurementFile[] = "MeasurementDataDO";
inline constexpr char kCharacteristicFile[] = "CharacteristicValueDataDO";
inline constexpr char kAlarmFile[] = "AlarmDataDO";

// clang-format off

/// The value codec: one write and one read failure per type.
namespace codec {
inline constexpr ThrowSite kLongLongWrite          {kSerializeFile, 417};
inline constexpr ThrowSite kLongLongRead           {kSerializeFile, 425};
inline constexpr ThrowSite kUnsignedShortWrite     {kSerializeFile, 435};
inline constexpr ThrowSite kUnsignedShortRead      {kSerializeFile, 443};
inline constexpr ThrowSite kUnsignedIntWrite       {kSerializeFile, 453};
inline constexpr ThrowSite kUnsignedIntRead        {kSerializeFile, 461};
inline constexpr ThrowSite kUnsignedLongWrite      {kSerializeFile, 471};
inline constexpr ThrowSite kUnsignedLongRead       {kSerializeFile, 479};
inline constexpr ThrowSite kUnsignedCharWrite      {kSerializeFile, 548};
inline constexpr ThrowSite kUnsignedCharRead       {kSerializeFile, 557};
inline constexpr ThrowSite kDoubleWrite            {kSerializeFile, 644};
inline constexpr ThrowSite kDoubleRead             {kSerializeFile, 652};
inline constexpr ThrowSite kBoolWrite              {kSerializeFile, 723};
inline constexpr ThrowSite kBoolReadBadCharacter   {kSerializeFile, 743};
inline constexpr ThrowSite kBoolReadEndOfInput     {kSerializeFile, 748};
inline constexpr ThrowSite kStringWriteLength      {kSerializeFile, 851};
inline constexpr ThrowSite kStringWriteBody        {kSerializeFile, 857};
inline constexpr ThrowSite kStringReadLength       {kSerializeFile, 873};
inline constexpr ThrowSite kStringReadBody         {kSerializeFile, 882};
}  // namespace codec

/// The archive operators of UuidEntryDO.
namespace uuid_entry {
inline constexpr ThrowSite kWrite                  {kUuidEntryFile, 1};
inline constexpr ThrowSite kRead                   {kUuidEntryFile, 2};
}  // namespace uuid_entry

/// The gzip compressor.
namespace gzip {
inline constexpr ThrowSite kBadLevel               {kGzipFile, 30};
inline constexpr ThrowSite kBadArguments           {kGzipFile, 40};
inline constexpr ThrowSite kDeflateFailed          {kGzipFile, 50};
inline constexpr ThrowSite kInflateInit            {kGzipFile, 60};
inline constexpr ThrowSite kCorrupt                {kGzipFile, 70};
inline constexpr ThrowSite kTooShort               {kGzipFile, 80};
inline constexpr ThrowSite kTooLong                {kGzipFile, 90};
inline constexpr ThrowSite kTruncated              {kGzipFile, 100};
}  // namespace gzip

/// Stored details refused before the compressor sees them (the root cause of a details error).
namespace details {
inline constexpr ThrowSite kShortHeader            {kDetailsFile, 1};
inline constexpr ThrowSite kImplausibleLength      {kDetailsFile, 2};
}  // namespace details

/// The data objects: details that cannot be decompressed, and AlarmDataDO's null fields.
namespace objects {
inline constexpr ThrowSite kMeasurementDetails     {kMeasurementFile, 219};
inline constexpr ThrowSite kCharacteristicDetails  {kCharacteristicFile, 221};
inline constexpr ThrowSite kLearningModeActivesNull    {kAlarmFile, 264};
inline constexpr ThrowSite kCurrentAlarmMapIndexNull   {kAlarmFile, 308};
inline constexpr ThrowSite kLatestSavedTimeSignalNull  {kAlarmFile, 336};
}  // namespace objects

// clang-format on

}  // namespace throw_sites
}  // namespace detail
}  // namespace dataobjects_data

#endif  // PLATFORM_DETAIL_THROWSITES_H
