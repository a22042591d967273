#pragma once
// The demo's stand-ins for the sources that are not listing sites: a tuner
// server answering /api/services and /api/programs in the shapes of the real
// one, and an XMLTV file, both of the demo's generated terrestrial
// programmes, so a new user sees these listing types offline too.
#include <cstdint>
#include <string>

#include "sites/sample_pages.h"

namespace kanro::demo {

class ListingServer;

// The paths the stand-ins answer on the demo server.
inline constexpr char kTunerServicesPath[] = "/api/services";
inline constexpr char kTunerProgramsPath[] = "/api/programs";
inline constexpr char kXmltvPath[] = "/guide.xml";
// How many listing days the stand-ins hold, from the current one on.
inline constexpr int kStandInDays = 8;

// The generated page the stand-ins' programmes of a date come from.
sites::SamplePageOptions StandInPageOptions(int year, int month, int day);

// /api/services: one terrestrial television service per generated channel.
std::string StandInServicesJson();
// /api/programs (networkId filters, as the real server does; 0: all), of the
// listing days from the one of firstDay on.
std::string StandInProgramsJson(int64_t firstDay, int networkId);
// The same programmes and channels as an XMLTV file.
std::string StandInXmltv(int64_t firstDay);

// Registers the three paths on the server.
void ServeStandIns(ListingServer& server);

}  // namespace kanro::demo
