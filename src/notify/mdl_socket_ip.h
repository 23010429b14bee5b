#pragma once

#include "common/messagebox.h"
#include "notify/hostsystem.h"

#include <QString>

// This computer's name, compared at start-up with the computer the settings name, and its IPv4
// address, recorded with each e-mail message. Every failure is shown in a box and gives empty
// text; none stops the program.
namespace mdl_socket_ip {
// The host name, or empty text after a box when the system refuses it.
QString NomeComputadorLocal(const HostSystem& host, MessageBox& messageBox);
// The first IPv4 address of the host name in dotted form, or empty text after a box.
QString EnderecoIPLocal(const HostSystem& host, MessageBox& messageBox);
} // namespace mdl_socket_ip
