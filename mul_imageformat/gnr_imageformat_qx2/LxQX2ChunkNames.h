// Names of the chunks of a QX2 document and the tests that tell them apart.
//
// Frame indices in names are plain decimals (no sign, no leading zero) up to
// 10,000,000, the largest index a writer stores; a name that only looks
// like an indexed one is foreign. Wide custom names go into chunk names as
// UTF-8.
#pragma once

#include <cstdint>

#include "gnr_system/string/LxString.h"

namespace LxQX2Names
{

constexpr uint32_t kMaxFrameIndex = 10000000;

constexpr char kAttributes[] = "ImageAttributes!";
constexpr char kExperiment[] = "ImageMetadata!";
constexpr char kEvents[] = "ImageEvents!";
constexpr char kBinary[] = "ImageBinary!";
constexpr char kTextInfo[] = "ImageTextInfo!";
constexpr char kReportObjects[] = "ReportObjects!";
constexpr char kTimeCache[] = "CustomData|AcqTimesCache!";

// Prefixes of the names that carry a frame index ("<prefix>%u!").
constexpr char kFramePrefix[] = "ImageDataSeq|";
constexpr char kMetadataPrefix[] = "ImageMetadataSeq|";
constexpr char kCalibrationPrefix[] = "ImageCalibration|";
constexpr char kReportObjectsPrefix[] = "ReportObjects|";

// "<prefix><seq>!".
CLxStringA Indexed(const char* prefix, uint32_t seq);

// Custom item names: "CustomData|<name>!", "CustomDataSeq|<name>|<seq>!",
// "CustomDataVar|<name>!", "CustomDataVarSeq|<name>|<seq>!".
enum ECustomKind { eCustomBytes, eCustomBytesSeq, eCustomVar, eCustomVarSeq };
CLxStringA Custom(ECustomKind kind, const char16_t* name, uint32_t seq = 0);

// The index of "<prefix><index>!"; false for any other name.
bool ParseIndexed(const char* name, const char* prefix, uint32_t* index);

// Whether a reader of either version understands the chunk of that name
// (else it is foreign and goes to the unknown-data keeper).
bool IsKnown(const char* name);

} // namespace LxQX2Names
