#!/usr/bin/perl
# Reads every delivered table and its production index with Debian's Perl XBase.
#
#     read_with_xbase.pl SOURCE_TABLES_FOLDER PROGRAM_DATA_FOLDER READER_TAGS_FILE
#
# Each table must open with the fields of its schema and as many records as its CSV has rows;
# each tag the readers seek must be in the table's MDX with the key length they build, and
# walking any tag must give every record once, in ascending key order.
use strict;
use warnings;
use XBase;
use XBase::Index;

my ($source, $data, $reader_tags) = @ARGV;
my @problems;
my %tables;    # table file name (upper case) => { fields => [...], rows => n, tags => {...} }

opendir(my $dir, $source) or die "$source: $!\n";
for my $schema (sort grep { /\.schema$/ } readdir $dir) {
    my ($file, @fields, @tags);
    open(my $in, '<', "$source/$schema") or die "$schema: $!\n";
    while (my $line = <$in>) {
        $line =~ s/(^|\s)#.*$//;
        my @words = split ' ', $line;
        next unless @words;
        $file = $words[1] if $words[0] eq 'table';
        push @fields, uc $words[1] if $words[0] eq 'field';
        push @tags, uc $words[1] if $words[0] eq 'tag';
    }
    close $in;
    (my $csv = "$source/$schema") =~ s/\.schema$/.csv/;
    my $rows = 0;
    if (open(my $rows_in, '<', $csv)) {
        my @lines = <$rows_in>;
        $rows = @lines - 1;    # the delivered CSVs hold no line breaks inside values
        close $rows_in;
    }
    $tables{uc $file} = { file => $file, fields => \@fields, rows => $rows, tags => \@tags };
}
closedir $dir;

sub index_file {
    my ($file) = @_;
    (my $base = "$data/$file") =~ s/\.dbf$//i;
    for my $candidate ("$base.mdx", "$base.MDX") {
        return $candidate if -e $candidate;
    }
    return;
}

for my $key (sort keys %tables) {
    my $t = $tables{$key};
    my $dbf = XBase->new("$data/$t->{file}");
    if (!$dbf) {
        push @problems, "$t->{file}: " . XBase->errstr;
        next;
    }
    my @names = map { uc } $dbf->field_names;
    push @problems, "$t->{file}: fields @names instead of @{$t->{fields}}" if "@names" ne "@{$t->{fields}}";
    my $records = $dbf->last_record + 1;
    push @problems, "$t->{file}: $records records instead of $t->{rows}" if $records != $t->{rows};
    $dbf->close;
    next unless @{$t->{tags}};

    my $mdx = index_file($t->{file});
    if (!$mdx) {
        push @problems, "$t->{file}: no production index";
        next;
    }
    my $index = XBase::Index->new($mdx);
    if (!$index) {
        push @problems, "$mdx: " . XBase::Index->errstr;
        next;
    }
    $t->{mdx_tags} = { map { uc($_) => $index->{tags}{$_}{key_length} } $index->tags };
    for my $tag (@{$t->{tags}}) {
        if (!exists $t->{mdx_tags}{$tag}) {
            push @problems, "$mdx: tag $tag of the schema is missing";
            next;
        }
        my ($name) = grep { uc($_) eq $tag } $index->tags;
        my $walk = XBase::Index->new($mdx, tag => $name);
        $walk->prepare_select or do { push @problems, "$mdx $tag: " . $walk->errstr; next };
        my ($count, $previous, %seen) = (0, undef);
        while (my ($entry, $record) = $walk->fetch) {
            $count++;
            push @problems, "$mdx $tag: record $record twice" if $seen{$record}++;
            push @problems, "$mdx $tag: key '$entry' after '$previous'" if defined $previous && $entry lt $previous;
            $previous = $entry;
        }
        push @problems, "$mdx $tag: $count keys for $records records" if $count != $records;
    }
}

open(my $needs, '<', $reader_tags) or die "$reader_tags: $!\n";
my $needed = 0;
while (my $line = <$needs>) {
    $line =~ s/#.*$//;
    my ($file, $tag, $length) = split ' ', $line;
    next unless defined $length;
    $needed++;
    my $t = $tables{uc $file};
    if (!$t || !$t->{mdx_tags}) {
        push @problems, "$file: no index for tag $tag";
    } elsif (!exists $t->{mdx_tags}{uc $tag}) {
        push @problems, "$file: no tag $tag";
    } elsif ($t->{mdx_tags}{uc $tag} != $length) {
        push @problems, "$file tag $tag: key length $t->{mdx_tags}{uc $tag} instead of $length";
    }
}
close $needs;

print "$_\n" for @problems;
printf "%d tables and %d reader tags checked, %d problems\n", scalar(keys %tables), $needed, scalar @problems;
exit(@problems || !%tables ? 1 : 0);
