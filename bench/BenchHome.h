// Kalimo benchmarks. MIT licence.
#ifndef BENCH_HOME_H
#define BENCH_HOME_H

#include <EventAttributes.h>
#include <VolumeRoster.h>

#include <cstdlib>
#include <string>

// A temporary home for a benchmark, with the volume indexes the editor creates.
// Returns the home's path; the volume is that of the home.
inline std::string
MakeBenchHome(const char* name, BVolume* volume)
{
	std::string pattern = std::string("/tmp/") + name + "-XXXXXX";
	const std::string home = mkdtemp(pattern.data());
	setenv("HOME", home.c_str(), 1);
	setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
	setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
	BVolumeRoster().GetBootVolume(volume);
	CreateEventIndexes();
	return home;
}

#endif // BENCH_HOME_H
