# What the package needs and wixl cannot write: scripts/package runs each
# query below on the package wixl made, before signing it. One query per
# line; lines starting with # are comments. @SECURE@ stands for the secure
# properties wixl wrote.
#
# The Run value comes with the program, and only when asked for:
# STARTATLOGON=0 leaves it out, any other value puts it in, and without the
# property a new install puts it in while an upgrade keeps what the installed
# version had (RUNVALUE, its Run value, found before it is removed). A repair
# of the installed product (Installed) is no new install: it keeps the
# choice too, since STARTATLOGON is not stored and the transitive condition
# is evaluated again.
# Attributes: the key path is a registry value (4), and the condition is
# evaluated again on a reinstall (transitive, 64).
UPDATE `Component` SET `Condition` = 'STARTATLOGON<>"0" AND (STARTATLOGON OR RUNVALUE OR NOT (WIX_UPGRADE_DETECTED OR Installed))', `Attributes` = 68 WHERE `Component` = 'StartAtLogon'
# Both properties reach the part of the install that runs as the system.
UPDATE `Property` SET `Value` = '@SECURE@;STARTATLOGON;RUNVALUE' WHERE `Property` = 'SecureCustomProperties'
