// Native stand-in: the event log (RegisterEventSourceW, ReportEventW, DeregisterEventSource).
#pragma once
