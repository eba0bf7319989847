#!/usr/bin/perl
# Checks, from the runs that odd_archive.sh's shim recorded, that a batch
# recipe converted every sheet in exactly one chunk of --each, converted
# again one run each the sheets of the chunks that failed, and only those,
# and listed as failed exactly the sheets whose own run then failed.  Prints
# what the runs were; exit status 1 when a check fails.
#
#   each_calls.pl CALLS_DIR FAILED_LIST CHUNK
use strict;
use warnings;
my ($dir, $list, $chunk) = @ARGV;
local $/ = "\0";
sub words { open my $h, '<', $_[0] or die "$_[0]: $!\n"; my @w = <$h>; chomp @w; @w }
my (@each, %alone);
my $errors = 0;
sub fault { print @_, "\n"; $errors++ }
for my $file (glob "$dir/call.*") {
  my ($status, @args) = words($file);
  if (@args && $args[0] eq '--each') {
    shift @args;
    push @each, [$status, @args];
  } elsif (@args == 1) {
    fault("$args[0]: run alone twice") if exists $alone{$args[0]};
    $alone{$args[0]} = $status;
  } else {
    fault("a run with the arguments @args");
  }
}
my %failed = map { $_ => 1 } words($list);
my %chunk_of;
my ($failed_chunks, $sheets) = (0, 0);
for my $c (@each) {
  my ($status, @sheets) = @$c;
  fault("a chunk of " . @sheets . " sheets") if @sheets > $chunk;
  my $failures = grep { $failed{$_} } @sheets;
  fault("--each ended with status $status over a chunk of $failures failed sheets")
    if ($status != 0) != ($failures > 0);
  $failed_chunks++ if $status != 0;
  for my $s (@sheets) {
    $sheets++;
    fault("$s: in two chunks") if $chunk_of{$s}++;
    fault("$s: " . (exists $alone{$s} ? "" : "not ") . "converted again alone")
      if exists $alone{$s} != ($status != 0);
    fault("$s: its own run ended with status $alone{$s}, and it is "
          . ($failed{$s} ? "" : "not ") . "listed as failed")
      if exists $alone{$s} && ($alone{$s} != 0) != exists $failed{$s};
  }
}
$chunk_of{$_} || fault("$_: converted alone only") for keys %alone;
$chunk_of{$_} || fault("$_: listed as failed, but in no chunk") for keys %failed;
printf "%d runs of --each over %d sheets, %d failed; %d sheets converted again alone\n",
  scalar @each, $sheets, $failed_chunks, scalar keys %alone;
exit($errors ? 1 : 0);
