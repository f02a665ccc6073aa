#!/usr/bin/perl
# damage-member.pl IN.lz OUT.lz MEMBER
#
# Copies a package and damages one compressed member: its directory entry
# announces 4096 bytes more than its stream holds, so decoding it comes out
# short. The layout is the one store/PackageFormat.h describes: the directory
# offset, scrambled with the package key, in the last four bytes; entries of
# length, offset, packed size, unpacked size and a scrambled UTF-16 name.
use strict;
use warnings;

my ($in, $out, $member) = @ARGV;
die "usage: damage-member.pl IN.lz OUT.lz MEMBER\n" unless defined $member;
my $key = 0x5B3E91C7;

open(my $fh, '<:raw', $in) or die "$in: $!\n";
my $bytes = do { local $/; <$fh> };
close $fh;

my $at = unpack('V', substr($bytes, -4)) ^ $key;
my $found = 0;
while (1) {
    my ($length, $offset, $packed, $unpacked) = unpack('V4', substr($bytes, $at, 16));
    last if $length == 0;
    my $field = join('', map { pack('V', $_ ^ $key) } unpack('V*', substr($bytes, $at + 16, $length - 16)));
    my $name = '';
    for my $unit (unpack('v*', $field)) {
        last if $unit == 0;
        $name .= chr($unit);
    }
    if ($name eq $member) {
        die "$member is stored, not compressed\n" if $unpacked == 0;
        substr($bytes, $at + 12, 4) = pack('V', $unpacked + 4096);
        $found = 1;
    }
    $at += $length;
}
die "no member $member in $in\n" unless $found;

open($fh, '>:raw', $out) or die "$out: $!\n";
print $fh $bytes;
close $fh or die "$out: $!\n";
