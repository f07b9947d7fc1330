// Kalimo tests. MIT licence.
#ifndef WATCHER_RECORDS_H
#define WATCHER_RECORDS_H

#include "TestHome.h"

#include <Launcher.h>

#include <fstream>
#include <string>

// What the watcher opens and plays, kept on record in the test's home instead, for
// the life of the object (also for processes started meanwhile).
class WatcherRecords
{
public:
	WatcherRecords()
	    : fLaunches("BE_LAUNCHER_RECORD", (TestHome::Path() + "/launches").c_str()),
	      fSounds("BE_SOUND_RECORD", (TestHome::Path() + "/sounds").c_str())
	{
	}

	// How often the file was opened.
	static int Opened(const std::string& path)
	{
		int count = 0;
		for (const auto& argv : Launcher::Recorded((TestHome::Path() + "/launches").c_str()))
			count += !argv.empty() && argv.back() == path;
		return count;
	}

	// How often the alarm's sound played, with the theme's sound it has by default.
	static int Pops()
	{
		std::ifstream in(TestHome::Path() + "/sounds");
		int count = 0;
		for (std::string line; std::getline(in, line);)
			count += line == "Kalimo pops\tbell";
		return count;
	}

private:
	EnvGuard fLaunches;
	EnvGuard fSounds;
};

#endif // WATCHER_RECORDS_H
