// Native stand-in: events, waits and critical sections.
#pragma once
