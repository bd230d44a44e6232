#pragma once
// Resource ids of Swiftlet.exe.
